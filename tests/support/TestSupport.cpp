// TestSupport.cpp - temporary trees and environment guards; platform-neutral part.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <iterator>
#include <chrono>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace qztest {

std::string currentDirectory() { return nativePath(fs::current_path()); }

std::string slashed(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::optional<std::string> getEnv(const std::string& name)
{
    if (const char* value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

EnvGuard::EnvGuard() : _cwd(fs::current_path()) {}

EnvGuard::~EnvGuard()
{
    for (auto it = _saved.rbegin(); it != _saved.rend(); ++it)
        setEnv(it->first, it->second);
    std::error_code ignored;
    fs::current_path(_cwd, ignored);
}

void EnvGuard::remember(const std::string& name) { _saved.emplace_back(name, getEnv(name)); }

void EnvGuard::set(const std::string& name, const std::string& value)
{
    remember(name);
    setEnv(name, value);
}

void EnvGuard::unset(const std::string& name)
{
    remember(name);
    setEnv(name, std::nullopt);
}

void EnvGuard::chdir(const fs::path& directory) { fs::current_path(directory); }

void EnvGuard::isolate()
{
    for (const char* name : {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD",
                             "RY_DLL_PATH", "QZFL_HOME", "DVK_HOME", "QZ_CONFIG_PATH"})
        unset(name);
    // Only the Linux build reads this; a file that does not exist is an empty registry.
    set("CORVAN_REGISTRY", (fs::temp_directory_path() / "qztest-no-registry.reg").string());
}

TempTree::TempTree()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    _root = fs::temp_directory_path() /
            ("qztest-" + std::to_string(random()) + "-" + std::to_string(stamp % 1000000) + "-" +
             std::to_string(counter++));
    fs::create_directories(_root);
    // Resolve links (such as /tmp on some systems) so that paths compare as the
    // library will see them through the current directory.
    _root = fs::canonical(_root);
}

TempTree::~TempTree()
{
    std::error_code ignored;
    fs::remove_all(_root, ignored);
}

std::string TempTree::path(const std::string& relative) const
{
    return relative.empty() ? nativePath(_root) : nativePath(_root / fs::path(relative));
}

std::string TempTree::mkdir(const std::string& relative) const
{
    fs::create_directories(_root / fs::path(relative));
    return path(relative);
}

std::string TempTree::touch(const std::string& relative, const std::string& content) const
{
    const fs::path file = _root / fs::path(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return path(relative);
}

void setModified(const std::string& path, long seconds)
{
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
}

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const TempTree& tree)
{
    static std::atomic<unsigned> runs{0};
    const std::string tag = std::to_string(runs++);
    const std::string out = tree.path("out-" + tag + ".txt");
    const std::string err = tree.path("err-" + tag + ".txt");
    std::string command = quoteArgument(program);
    for (const std::string& argument : arguments)
        command += " " + quoteArgument(argument);
    command += " > " + quoteArgument(out) + " 2> " + quoteArgument(err);
    const int result = std::system(commandLine(command).c_str());
    // Text written in the system's text mode: line ends are compared as '\n'.
    auto slurp = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::string lines;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                lines += text[i];
        return lines;
    };
    return {exitCodeOf(result), slurp(out), slurp(err)};
}

std::optional<Command> unprivileged(const std::string& program, const TempTree& tree)
{
    if (runProgram("id", {"-u"}, tree).out != "0\n")
        return Command{program, {}};
    if (runProgram("setpriv", {"--help"}, tree).exitCode != 0)
        return std::nullopt;
    // The tree lies below the system's temporary folder, which every user may enter.
    const fs::path place = tree.root() / "unprivileged";
    fs::create_directories(place);
    const fs::path copy = place / fs::path(program).filename();
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    for (const auto& entry : fs::directory_iterator(QZ_LIBRARY_DIR))
        if (entry.path().filename().string().rfind("libQZAppInfo.so", 0) == 0)
            fs::copy(entry.path(), place / entry.path().filename(),
                     fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks);
    fs::permissions(place, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                               fs::perms::group_read | fs::perms::others_read);
    // The search path of the copied program still names the build tree; LD_LIBRARY_PATH
    // comes first.
    return Command{"setpriv",
                   {"--reuid=65534", "--regid=65534", "--clear-groups", "env",
                    "LD_LIBRARY_PATH=" + place.string(), copy.string()}};
}

} // namespace qztest
