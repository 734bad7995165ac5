// FuzzTree.h - the small directory tree and the process state that the fuzzers of
// Initialize and of the path manager work in. Linux only; test code only.
#ifndef QZ_FUZZ_FUZZTREE_H
#define QZ_FUZZ_FUZZTREE_H

#include "FuzzInput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace qzfuzz {

// A fresh directory below the temporary folder, made once per process and removed at
// its normal end. The fuzzers write nowhere else.
class Tree {
public:
    static const Tree& instance()
    {
        static const Tree tree;
        return tree;
    }

    const std::string& root() const { return _root; }
    std::string path(const std::string& relative) const { return relative.empty() ? _root : _root + "/" + relative; }

    std::string mkdir(const std::string& relative) const
    {
        std::filesystem::create_directories(path(relative));
        return path(relative);
    }

    std::string touch(const std::string& relative, const std::string& content = "") const
    {
        const std::filesystem::path file = path(relative);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
        return file.string();
    }

    // '@' in a text from the input stands for the tree's root, so that short inputs
    // reach the directories and files of the tree. NULs are kept: file contents may
    // have them, and variables and C strings cut at the first.
    std::string expand(const std::string& text) const
    {
        std::string out;
        for (char c : text) {
            if (c == '@')
                out += _root;
            else
                out += c;
        }
        return out;
    }

private:
    Tree()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qzfuzz-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        QZ_FUZZ_CHECK(::mkdtemp(name.data()) != nullptr);
        _root = std::filesystem::canonical(name.data()).string();
        static std::string removeAtExit;
        removeAtExit = _root;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
    }

    std::string _root;
};

inline std::string currentDirectory()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

// Whether the status query that the library makes succeeds.
inline bool statSucceeds(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Sets a variable, or unsets it for nullopt.
inline void setVariable(const char* name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

// Unsets every variable that the library reads, so that the machine's own settings
// cannot reach a run, and points the registry stand-in into the tree.
inline void isolateEnvironment(const Tree& tree)
{
    for (const char* name : {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD",
                             "RY_DLL_PATH", "QZFL_HOME", "DVK_HOME", "QZ_CONFIG_PATH", "XDG_CONFIG_HOME"})
        ::unsetenv(name);
    ::setenv("CORVAN_REGISTRY", tree.path("no-registry.reg").c_str(), 1);
    ::setenv("HOME", tree.path("user").c_str(), 1);
    ::setenv("PATH", tree.path("nowhere").c_str(), 1);
}

} // namespace qzfuzz

#endif
