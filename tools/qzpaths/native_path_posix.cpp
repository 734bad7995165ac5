// native_path_posix.cpp - paths from 8-bit texts where a path is its bytes.
#include "NativePath.h"

namespace qzpaths {

std::filesystem::path nativePath(const std::string& text) { return std::filesystem::path(text); }

} // namespace qzpaths
