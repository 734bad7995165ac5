// RegistryFile.h - reads machine-wide settings from a registry export (.reg) file,
// the stand-in for the registry where the system has none. Pure text processing.
#ifndef QZ_PLATFORM_REGISTRYFILE_H
#define QZ_PLATFORM_REGISTRYFILE_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qz::regfile {

// The data of value valueName ("" for the default value) of the key keyPath (a full
// path such as "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor"), as RegQueryValueExA gives it
// to an 8-bit caller after the file has been imported with regedit: string types in
// the 8-bit code page with their terminator, other types as their raw bytes.
// Nothing when the file, key or value is missing, or the data exceeds maxBytes.
// keyPath is read as RegOpenKeyExA reads it below the root: runs of backslashes and
// trailing ones count as one; a backslash right after the root, more than 260
// characters below it, or a key name over 256 characters find nothing.
std::optional<std::string> queryValue(const std::string& filePath, std::string_view keyPath,
                                      std::string_view valueName, std::size_t maxBytes);

// The same over a file's contents already in memory.
std::optional<std::string> queryValueIn(std::string_view contents, std::string_view keyPath,
                                        std::string_view valueName, std::size_t maxBytes);

// What a lookup found in a file's contents, for the start-up report.
struct Inspection {
    bool exportFile = false;          // the first line is a header that regedit accepts
    bool keyFound = false;            // the key exists once the file is imported
    std::optional<std::string> data;  // the value's whole data, whatever its size
};
Inspection inspectIn(std::string_view contents, std::string_view keyPath, std::string_view valueName);

} // namespace qz::regfile

#endif
