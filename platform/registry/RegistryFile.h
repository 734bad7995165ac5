// RegistryFile.h - reads machine-wide settings from a registry export (.reg) file,
// the stand-in for the registry where the system has none. Pure text processing.
#ifndef QZ_PLATFORM_REGISTRY_REGISTRYFILE_H
#define QZ_PLATFORM_REGISTRY_REGISTRYFILE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::regfile {

// The encoding of the caller's 8-bit text: the names it passes and the strings it gets.
// Utf8 is the Linux convention, Windows with the UTF-8 code page: UTF-16 files give UTF-8
// (what RegQueryValueExW gives, encoded), 8-bit files are read as UTF-8 and keep their
// bytes; a byte that is not part of valid UTF-8 stands for itself (in a name it matches
// only the same byte, in data it comes back unchanged, and a name with one finds nothing
// in a UTF-16 file). Cp1252 is Windows in code page 1252, byte for byte what
// RegQueryValueExA gives there; the comparison with Wine's default code page uses it.
// Names compare without regard to case as the registry compares them.
enum class Encoding { Cp1252, Utf8 };

// What a lookup found once the file is imported with regedit.
struct Inspection {
    bool exportFile = false;          // the first line is a header that regedit accepts
    bool keyFound = false;            // the key exists once the file is imported
    std::optional<std::string> data;  // the value's whole data, whatever its size
    std::uint32_t type = 0;           // the value's type, when found
    // When the key is missing: the nearest key above it that exists, and its subkeys.
    std::string nearestKey;
    std::vector<std::string> nearestSubkeys;
};

// The value valueName ("" for the default value) of the key keyPath (a full path such as
// "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor") in a file's contents, as RegQueryValueExA gives
// it to an 8-bit caller after the file has been imported with regedit: string types in
// the caller's encoding with their terminator, other types as their raw bytes.
// keyPath is read as RegOpenKeyExA reads it below the root: runs of backslashes and
// trailing ones count as one; a backslash right after the root, more than 260
// UTF-16 units below it, or a key name over 256 units find nothing.
Inspection inspectIn(std::string_view contents, std::string_view keyPath, std::string_view valueName,
                     Encoding encoding);

// The data alone; nothing when the file, key or value is missing, or the data exceeds maxBytes.
std::optional<std::string> queryValueIn(std::string_view contents, std::string_view keyPath,
                                        std::string_view valueName, std::size_t maxBytes, Encoding encoding);

// The same, the file read from filePath; nothing when it cannot be read.
std::optional<std::string> queryValue(const std::string& filePath, std::string_view keyPath,
                                      std::string_view valueName, std::size_t maxBytes, Encoding encoding);

} // namespace qz::regfile

#endif
