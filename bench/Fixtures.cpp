// Fixtures.cpp - the benchmarks' sandbox tree, environment and large registry file.
#include "Fixtures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qzbench {

namespace {

void touch(const fs::path& file, const std::string& content = "")
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

struct OwnedSandbox : Sandbox {
    OwnedSandbox()
    {
        const fs::path base = fs::temp_directory_path() / ("qz-bench-" + std::to_string(::getpid()));
        fs::remove_all(base);
        fs::create_directories(base);
        root = fs::canonical(base).string();
        home = root + "/home";
        exeDir = home + "/qz/bin/linux64";
        exe = exeDir + "/ryndel";
        work = root + "/work";
        user = root + "/user";
        userDirs = user + "/.config/user-dirs.dirs";
        registry = root + "/no-registry.reg";
        smallRegistry = root + "/small.reg";
        touch(smallRegistry, "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60]\r\n"
                             "\"DISPLAY\"=\":7\"\r\n");
        // Settled, as an installed file is: the library keeps its import and only checks
        // its status at each lookup.
        fs::last_write_time(smallRegistry, fs::file_time_type::clock::now() - std::chrono::hours(1));

        fs::create_directories(home + "/qzcommon");
        fs::create_directories(work);
        touch(exe);
        fs::permissions(exe, fs::perms::owner_all);
        touch(userDirs, "# written by xdg-user-dirs-update\n"
                        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                        "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                        "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n");
        for (int i = 1; i < 20; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "p%02d", i);
            pathEntries.push_back(root + "/path/" + name);
            fs::create_directories(pathEntries.back());
        }
        pathEntries.push_back(exeDir);
        for (const std::string& entry : pathEntries)
            path += (path.empty() ? "" : ":") + entry;
    }

    ~OwnedSandbox()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

std::string sizeText(double bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB", bytes / 1e6);
    return text;
}

} // namespace

void Sandbox::enter(bool withCorvanHome, bool withRegistryFile) const
{
    for (const char* name : {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD", "RY_DLL_PATH",
                             "QZFL_HOME", "DVK_HOME", "QZ_CONFIG_PATH", "XDG_CONFIG_HOME"})
        ::unsetenv(name);
    ::setenv("PATH", path.c_str(), 1);
    ::setenv("HOME", user.c_str(), 1);
    ::setenv("CORVAN_REGISTRY", (withRegistryFile ? smallRegistry : registry).c_str(), 1);
    if (withCorvanHome)
        ::setenv("CORVAN_HOME", home.c_str(), 1);
    if (::chdir(work.c_str()) != 0)
        throw std::runtime_error("cannot enter " + work);
}

const Sandbox& sandbox()
{
    static const OwnedSandbox tree;
    return tree;
}

const LargeRegistry& largeRegistry()
{
    static const LargeRegistry registry = [] {
        constexpr std::uintmax_t kSize = 50'000'000;
        LargeRegistry r;
        const fs::path self = fs::read_symlink("/proc/self/exe");
        r.file = (self.parent_path().parent_path() / "bench-data" / "large-50MB.reg").string();
        r.keyPath = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0.60";
        r.valueName = "QZ_MSG_HELP";
        r.expected = std::string("\\\\fileserver\\help\\quazen") + '\0'; // as RegQueryValueExA gives it

        std::error_code error;
        if (fs::file_size(r.file, error) >= kSize && !error)
            return r;
        std::fprintf(stderr, "generating %s (%s)\n", r.file.c_str(), sizeText(double(kSize)).c_str());
        fs::create_directories(fs::path(r.file).parent_path());
        std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
        char line[160];
        // Keys as an export of a real machine's software hive has them: strings for the
        // most part, a number, and binary data over continuation lines.
        auto fillerKey = [&](unsigned n) {
            std::snprintf(line, sizeof line,
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor %03u\\Product\\Component %06u]\r\n", n % 97, n);
            text += line;
            for (int v = 0; v < 6; ++v) {
                std::snprintf(line, sizeof line, "\"Setting%d\"=\"C:\\\\Program Files\\\\Vendor %03u\\\\lib%06u.dll\"\r\n",
                              v, n % 97, n);
                text += line;
            }
            std::snprintf(line, sizeof line, "\"Version\"=dword:%08x\r\n", n);
            text += line;
            text += "\"Data\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
                    "  15,16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n\r\n";
        };
        unsigned n = 0;
        while (text.size() < kSize - 4096)
            fillerKey(n++);
        text += "[" + r.keyPath + "]\r\n\"DISPLAY\"=\":0\"\r\n\"" + r.valueName + "\"=\"" + "\\\\\\\\fileserver\\\\help\\\\quazen" +
                "\"\r\n\r\n";
        while (text.size() < kSize)
            fillerKey(n++);
        std::ofstream(r.file, std::ios::binary) << text;
        return r;
    }();
    return registry;
}

static std::vector<Pair>& pairTable()
{
    static std::vector<Pair> table = {
        {"Initialize, sandbox walk of 3 levels, 20-entry PATH", "initialize/sandbox_walk",
         "initialize/sandbox_walk/bare_calls", 1.2},
        {"Initialize, CORVAN_HOME set, 20-entry PATH", "initialize/corvan_home", "initialize/corvan_home/bare_calls",
         1.2},
        {"Initialize, sandbox walk, small registry stand-in", "initialize/sandbox_walk_registry",
         "initialize/sandbox_walk_registry/bare_calls", 0.0},
        {"GetSpecifiedPath, all 77 keys", "lookup/GetSpecifiedPath_77", "lookup/strcmp_scan_77", 1.2},
        {"registry stand-in lookup, 50 MB file", "registry/queryValue_50MB", "registry/read_memchr_50MB", 10.0},
        {"GetFilePath, found at step 4", "path_manager/GetFilePath_step4", "path_manager/GetFilePath_step4/bare_stats",
         0.0},
    };
    return table;
}

const std::vector<Pair>& pairs() { return pairTable(); }

void addPair(const Pair& pair) { pairTable().push_back(pair); }

std::optional<std::size_t> readAndCountLines(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY);
    struct stat info {};
    ::fstat(fd, &info);
    const auto size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<char[]> buffer(new char[size]);
    const ssize_t got = ::read(fd, buffer.get(), size);
    ::close(fd);
    if (got != static_cast<ssize_t>(size))
        return std::nullopt;
    std::size_t lines = 0;
    const char* end = buffer.get() + size;
    for (const char* p = buffer.get(); p < end; ++lines) {
        const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        p = newline ? static_cast<const char*>(newline) + 1 : end;
    }
    return lines;
}

} // namespace qzbench
