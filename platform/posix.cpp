// posix.cpp - the platform layer on Linux and other POSIX systems; the only file of the
// library with POSIX calls.
#include "platform/Platform.h"
#include "platform/FileContents.h"
#include "platform/registry/Import.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <mutex>
#include <cstring>
#include <tuple>
#include <cstdlib>
#include <vector>

namespace qz::platform {

const char* productArchitecture() { return "linux64"; }

// A backslash is an ordinary character of a name here.
bool isSeparator(char c) { return c == '/'; }

char joinSeparator() { return '/'; }

bool isAbsoluteExecutableName(std::string_view name) { return !name.empty() && name.front() == '/'; }

// As a shell runs a command: a name with a slash is relative to the current directory
// only, a bare name is looked for along PATH only.
ExecutableSearch executableSearchFor(std::string_view relativeName)
{
    const bool hasSlash = relativeName.find('/') != std::string_view::npos;
    return {hasSlash, !hasSlash};
}

std::string_view searchPathDelimiters() { return ":"; }

std::string_view configPathDelimiters() { return ",;:"; }

void useForwardSlashes(std::string&) {}

std::optional<std::string> environment(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::optional<std::string> currentDirectory()
{
    std::vector<char> buffer(1024);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
}

bool changeDirectory(const char* path) { return ::chdir(path) == 0; }

bool exists(const char* path) { return ::access(path, F_OK) != -1; }

Status status(const char* path)
{
    struct stat info {};
    if (::stat(path, &info) != 0)
        return Status::Missing;
    return S_ISDIR(info.st_mode) ? Status::Directory : Status::Other;
}

std::pair<std::string, std::string> registryFile()
{
    const std::string named = environment("CORVAN_REGISTRY").value_or("");
    if (named.empty())
        return {"/etc/corvan/registry.reg", ""};
    return {named, "CORVAN_REGISTRY"};
}

namespace {

// The system's 8-bit text is UTF-8: names are looked up, and strings handed out, in UTF-8.
constexpr regfile::Encoding kRegistryEncoding = regfile::Encoding::Utf8;


// A change made within this many seconds of a file's modification time may leave its
// status as it was (timestamps tick coarsely): such a file is read at every lookup, and
// kept only once it has settled.
constexpr time_t kSettleSeconds = 2;

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool sameStatus(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && sameTime(a.st_mtim, b.st_mtim) &&
           sameTime(a.st_ctim, b.st_ctim);
}

// The stand-in file as last imported, with its status then.
class StandInCache {
public:
    // The import of path whose status is now info: the one kept when the file is
    // unchanged, else the file read and imported again; nothing when it cannot be read.
    std::shared_ptr<const regfile::Imported> imported(const std::string& path, const struct stat& info)
    {
        {
            const std::lock_guard<std::mutex> lock(_mutex);
            if (_imported && path == _path && sameStatus(info, _info))
                return _imported;
        }
        const std::optional<FileBytes> contents = fileBytes(path.c_str());
        if (!contents)
            return nullptr;
        auto imported =
            std::make_shared<const regfile::Imported>(regfile::importRegistry(contents->view(), kRegistryEncoding));
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const bool settled = now.tv_sec - info.st_mtim.tv_sec > kSettleSeconds;
        std::shared_ptr<const regfile::Imported> dropped, droppedKeyIn;
        const std::lock_guard<std::mutex> lock(_mutex);
        dropped = std::move(_imported);
        droppedKeyIn = std::move(_keyIn);
        if (settled) {
            _path = path;
            _info = info;
            _imported = imported;
        }
        return imported;
    }

    // The key keyPath in imported. The lookups of one Initialize all look in the suite's
    // base key: in the kept import it is resolved once, not again for every value.
    regfile::KeyLookup key(const std::shared_ptr<const regfile::Imported>& imported, const std::string& keyPath)
    {
        {
            const std::lock_guard<std::mutex> lock(_mutex);
            if (imported == _imported && imported == _keyIn && keyPath == _keyPath)
                return _key;
        }
        regfile::KeyLookup found = regfile::lookUpKey(*imported, keyPath, kRegistryEncoding);
        const std::lock_guard<std::mutex> lock(_mutex);
        if (imported == _imported) {
            _keyIn = imported;
            _keyPath = keyPath;
            _key = found;
        }
        return found;
    }

private:
    std::mutex _mutex;
    std::string _path;
    struct stat _info {};
    std::shared_ptr<const regfile::Imported> _imported;
    std::shared_ptr<const regfile::Imported> _keyIn; // the import that _key was resolved in
    std::string _keyPath;
    regfile::KeyLookup _key;
};

StandInCache& standIn()
{
    static StandInCache cache;
    return cache;
}

} // namespace

RegistryRead readRegistryValue(const std::string& keyPath, const std::string& valueName, std::size_t maxBytes)
{
    RegistryRead read;
    std::tie(read.store, read.storeSetting) = registryFile();
    read.keyPath = "HKEY_LOCAL_MACHINE\\" + keyPath;
    read.valueName = valueName;
    struct stat info {};
    if (::stat(read.store.c_str(), &info) != 0) {
        read.storeState = errno == ENOENT || errno == ENOTDIR ? RegistryRead::StoreState::Missing
                                                              : RegistryRead::StoreState::Unreadable;
        read.storeReason = std::strerror(errno);
        return read;
    }
    if (S_ISDIR(info.st_mode)) {
        read.storeState = RegistryRead::StoreState::Directory;
        return read;
    }
    errno = 0;
    const std::shared_ptr<const regfile::Imported> imported = standIn().imported(read.store, info);
    if (!imported) {
        read.storeState = RegistryRead::StoreState::Unreadable;
        read.storeReason = std::strerror(errno ? errno : EACCES);
        return read;
    }
    regfile::Inspection found =
        regfile::inspectValue(*imported, standIn().key(imported, read.keyPath), valueName, kRegistryEncoding);
    if (!found.exportFile) {
        read.storeState = RegistryRead::StoreState::NotAnExportFile;
        return read;
    }
    read.keyFound = found.keyFound;
    read.valueFound = found.data.has_value();
    read.type = found.type;
    read.nearestKey = std::move(found.nearestKey);
    read.nearestSubkeys = std::move(found.nearestSubkeys);
    if (found.data) {
        read.valueBytes = found.data->size();
        if (found.data->size() <= maxBytes)
            read.data = std::move(found.data);
    }
    return read;
}

namespace {

// The value of one XDG_DOCUMENTS_DIR line of user-dirs.dirs, as xdg-user-dir reads it:
// only "$HOME/..." and absolute values count.
std::optional<std::string> documentsDirFromLine(std::string_view line, const std::string& home)
{
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    line.remove_prefix(start);
    constexpr std::string_view key = "XDG_DOCUMENTS_DIR";
    if (line.substr(0, key.size()) != key)
        return std::nullopt;
    line.remove_prefix(key.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    line.remove_prefix(1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty() || line.front() != '"')
        return std::nullopt;
    line.remove_prefix(1);

    std::string value;
    constexpr std::string_view homePrefix = "$HOME/";
    if (line.substr(0, homePrefix.size()) == homePrefix) {
        value = home;
        line.remove_prefix(homePrefix.size() - 1); // keep the slash
    } else if (line.empty() || line.front() != '/') {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        value += line[i];
    }
    return value;
}

} // namespace

std::optional<std::string> documentsFolder()
{
    const std::optional<std::string> home = environment("HOME");
    if (!home)
        return std::nullopt;
    std::string configHome = environment("XDG_CONFIG_HOME").value_or("");
    if (configHome.empty())
        configHome = *home + "/.config";

    std::string folder = *home;
    const std::optional<std::string> file = fileContents((configHome + "/user-dirs.dirs").c_str());
    std::string_view lines = file ? std::string_view(*file) : std::string_view();
    while (!lines.empty()) {
        const std::size_t end = std::min(lines.find('\n'), lines.size());
        if (auto value = documentsDirFromLine(lines.substr(0, end), *home))
            folder = std::move(*value);
        lines.remove_prefix(std::min(end + 1, lines.size()));
    }
    return folder;
}

} // namespace qz::platform
