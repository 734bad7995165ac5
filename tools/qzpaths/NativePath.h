// NativePath.h - the library's 8-bit texts as paths of the standard library's file system.
#ifndef QZPATHS_NATIVEPATH_H
#define QZPATHS_NATIVEPATH_H

#include <filesystem>
#include <string>

namespace qzpaths {

// The path that an 8-bit text names, read in the system's 8-bit code page as the library
// reads it: on Windows the ANSI code page (not UTF-8), elsewhere the bytes as they are.
// Any text converts; none throws.
std::filesystem::path nativePath(const std::string& text);

} // namespace qzpaths

#endif
