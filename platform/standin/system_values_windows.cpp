// system_values_windows.cpp - the values of a key and its subkeys in the system's registry,
// read as an 8-bit caller reads them (RegEnumValueA, RegEnumKeyExA).
#include "platform/QZRegistryStandIn.h"

#include <windows.h>

namespace qz::standin {

namespace {

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE\\";

// The values of one open key, then (when subkeys) those of each subkey in turn.
void listKey(HKEY key, const std::string& path, bool subkeys, std::vector<Key>& out)
{
    DWORD valueCount = 0, longestName = 0, longestData = 0, subkeyCount = 0, longestSubkey = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, &longestSubkey, nullptr, &valueCount,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::string name(longestName + 1, '\0');
    std::string data(longestData + 1, '\0');
    Key listed{kRoot + path, {}};
    for (DWORD i = 0; i < valueCount; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &dataSize) != ERROR_SUCCESS)
            continue;
        listed.values.push_back({name.substr(0, nameSize), type, data.substr(0, dataSize), 0, 0});
    }
    if (!listed.values.empty())
        out.push_back(std::move(listed));
    if (!subkeys)
        return;
    std::string subkey(longestSubkey + 1, '\0');
    for (DWORD i = 0; i < subkeyCount; ++i) {
        DWORD size = static_cast<DWORD>(subkey.size());
        if (RegEnumKeyExA(key, i, subkey.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const std::string below = path + "\\" + subkey.substr(0, size);
        HKEY child = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, below.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS)
            continue;
        listKey(child, below, true, out);
        RegCloseKey(child);
    }
}

} // namespace

std::optional<std::pair<std::string, std::string>> standInFile() { return std::nullopt; }

std::optional<std::vector<Key>> systemValues(const std::string& keyPath, bool subkeys)
{
    std::string path = keyPath;
    if (path.compare(0, std::char_traits<char>::length(kRoot), kRoot) == 0)
        path.erase(0, std::char_traits<char>::length(kRoot));
    std::vector<Key> keys;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return keys;
    listKey(key, path, subkeys, keys);
    RegCloseKey(key);
    return keys;
}

} // namespace qz::standin
