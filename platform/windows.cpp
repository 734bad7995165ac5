// windows.cpp - the platform layer on Windows; the only file of the library with Win32
// and C runtime calls of Windows, and the library's loader entry point.
#include "platform/Platform.h"

#include <windows.h>
#include <shlobj.h>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace qz::platform {

const char* productArchitecture() { return "win64"; }

// Windows accepts both separators in a path.
bool isSeparator(char c) { return c == '/' || c == '\\'; }

char joinSeparator() { return '\\'; }

// A drive path ("C:\x", "C:/x") or a UNC path ("\\server", "//server").
bool isAbsoluteExecutableName(std::string_view name)
{
    if (name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/'))
        return true;
    return name.substr(0, 2) == "\\\\" || name.substr(0, 2) == "//";
}

// A relative name, with or without directories, is looked for in the current
// directory first and then along PATH.
ExecutableSearch executableSearchFor(std::string_view) { return {true, true}; }

std::string_view searchPathDelimiters() { return ",;"; }

std::string_view configPathDelimiters() { return ",;"; }

void useForwardSlashes(std::string& path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
}

std::optional<std::string> environment(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::optional<std::string> currentDirectory()
{
    // _getcwd allocates a buffer that fits when given none.
    char* text = _getcwd(nullptr, 0);
    if (!text)
        return std::nullopt;
    std::string directory(text);
    std::free(text);
    return directory;
}

bool changeDirectory(const char* path) { return _chdir(path) == 0; }

namespace {

// No path of Windows is longer than this, but some emulations answer for longer ones.
constexpr std::size_t kLongestPath = 32767;

bool tooLongToExist(const char* path) { return std::strlen(path) > kLongestPath; }

} // namespace

bool exists(const char* path) { return !tooLongToExist(path) && _access(path, 0) != -1; }

Status status(const char* path)
{
    if (tooLongToExist(path))
        return Status::Missing;
    struct _stat64i32 info {};
    if (_stat64i32(path, &info) != 0)
        return Status::Missing;
    return (info.st_mode & _S_IFDIR) ? Status::Directory : Status::Other;
}

namespace {

// Only after a miss: the nearest key above keyPath that exists, with its subkeys.
void nearestKey(std::string path, RegistryRead& read)
{
    for (std::size_t cut = path.rfind('\\'); cut != std::string::npos; cut = path.rfind('\\')) {
        path.erase(cut);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
            continue;
        read.nearestKey = "HKEY_LOCAL_MACHINE\\" + path;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            read.nearestSubkeys.emplace_back(name, size);
        }
        RegCloseKey(key);
        return;
    }
}

// Only after a miss: whether the 32-bit view holds the value.
bool inOtherView(const std::string& keyPath, const std::string& valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return false;
    const bool found = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

} // namespace

RegistryRead readRegistryValue(const std::string& keyPath, const std::string& valueName, std::size_t maxBytes)
{
    RegistryRead read;
    read.store = "HKEY_LOCAL_MACHINE";
    read.keyPath = "HKEY_LOCAL_MACHINE\\" + keyPath;
    read.valueName = valueName;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        nearestKey(keyPath, read);
        read.inOtherView = inOtherView(keyPath, valueName);
        return read;
    }
    read.keyFound = true;
    // The size first, then the data into a buffer of maxBytes, as a caller with a buffer
    // of that size reads it: data that does not fit is not read.
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        read.valueFound = true;
        read.valueBytes = size;
        std::vector<char> data(maxBytes + 1);
        size = static_cast<DWORD>(maxBytes);
        result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_SUCCESS)
            read.data = std::string(data.data(), size);
        read.type = type;
    }
    RegCloseKey(key);
    if (!read.valueFound)
        read.inOtherView = inOtherView(keyPath, valueName);
    return read;
}

std::optional<std::string> documentsFolder()
{
    char folder[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, folder)))
        return std::nullopt;
    return std::string(folder);
}

} // namespace qz::platform

// The library keeps no per-thread state, so thread notifications are not wanted.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
