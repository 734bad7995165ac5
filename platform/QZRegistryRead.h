// QZRegistryRead.h - what one read of the machine-wide registry consulted and found; data
// only, the platform's own words, which the trace of the library passes on as they are.
#ifndef QZREGISTRYREAD_H
#define QZREGISTRYREAD_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qz::platform {

// What one read of a value below HKEY_LOCAL_MACHINE consulted and found.
struct RegistryRead {
    // Where the machine-wide settings were looked for: the stand-in file's path, or
    // "HKEY_LOCAL_MACHINE" where the system has a registry.
    std::string store;
    // The variable whose value named the store ("CORVAN_REGISTRY"), or "" for the default.
    std::string storeSetting;
    enum class StoreState { Read, Missing, Unreadable, Directory, NotAnExportFile };
    StoreState storeState = StoreState::Read;
    // The system's reason when the store could not be read ("Permission denied").
    std::string storeReason;
    // The key path as looked up, with its root: "HKEY_LOCAL_MACHINE\SOFTWARE\...".
    std::string keyPath;
    std::string valueName;
    bool keyFound = false;
    bool valueFound = false;
    // The size in bytes of the value's data as an 8-bit caller reads it, when found.
    std::size_t valueBytes = 0;
    // The data as an 8-bit caller reads it (string types with their terminator), when it
    // was found and not larger than the read allowed.
    std::optional<std::string> data;
    // The value's type when found: REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4,
    // REG_MULTI_SZ 7, ... A lookup takes the data of any type as text.
    std::uint32_t type = 0;
    // When the key is missing: the nearest key above it that exists, and that key's
    // subkeys (names as spelled), so that a reader sees which keys are there instead.
    std::string nearestKey;
    std::vector<std::string> nearestSubkeys;
    // Windows: the key or value is missing from the 64-bit view but the 32-bit view
    // (WOW6432Node), which 32-bit programs and reg add /reg:32 write, holds the value.
    bool inOtherView = false;
};

} // namespace qz::platform

#endif
