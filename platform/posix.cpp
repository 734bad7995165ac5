// posix.cpp - the platform layer on Linux and other POSIX systems; the only file of the
// library with POSIX calls.
#include "platform/Platform.h"
#include "platform/FileContents.h"
#include "platform/RegistryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

std::optional<std::string> registryValue(const std::string& keyPath, const std::string& valueName,
                                         std::size_t maxBytes)
{
    std::string file = environment("CORVAN_REGISTRY").value_or("");
    if (file.empty())
        file = "/etc/corvan/registry.reg";
    return regfile::queryValue(file, "HKEY_LOCAL_MACHINE\\" + keyPath, valueName, maxBytes);
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
