// strace_test.cpp - Initialize makes exactly the file-system calls its sequence needs, in
// order, and leaves no descriptor open: a helper runs it once under strace between two
// marker calls, and the calls between the markers are compared with the expected list.
// Linux only; built when strace is found.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using qztest::TempTree;

constexpr const char* kBegin = "QZ-STRACE-BEGIN";
constexpr const char* kEnd = "QZ-STRACE-END";

// Runs program with exactly the given environment in directory; returns its exit status.
int run(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& directory)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(directory.c_str()) != 0)
            ::_exit(126);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// One system call of the trace: its name, its arguments as strace prints them, its result.
struct Call {
    std::string name;
    std::string arguments;
    long result = 0;
};

std::optional<Call> parseCall(const std::string& text)
{
    // name(arguments)<padding> = result
    const auto open = text.find('(');
    const auto equals = text.rfind(" = ");
    if (open == std::string::npos || equals == std::string::npos || equals < open)
        return std::nullopt;
    const auto close = text.find_last_not_of(' ', equals);
    if (text[close] != ')')
        return std::nullopt;
    Call call{text.substr(0, open), text.substr(open + 1, close - open - 1), 0};
    call.result = std::strtol(text.c_str() + equals + 3, nullptr, 10);
    return call;
}

// The first quoted argument (a path: strace never shortens those), unescaped.
std::string firstPath(const std::string& arguments)
{
    const auto start = arguments.find('"');
    if (start == std::string::npos)
        return "";
    std::string path;
    for (std::size_t i = start + 1; i < arguments.size() && arguments[i] != '"'; ++i) {
        if (arguments[i] == '\\' && i + 1 < arguments.size())
            ++i;
        path += arguments[i];
    }
    return path;
}

// The trace between the markers, as the library's own terms: "getcwd", "access P",
// "stat P", "open P", "chdir P". Calls on a descriptor count as part of the open that
// made it; problems lists calls on other descriptors, writes, and descriptors left open.
struct Trace {
    int exitStatus = -1;
    std::vector<std::string> calls;
    std::vector<std::string> problems;
};

Trace readTrace(const std::string& file)
{
    Trace trace;
    std::ifstream in(file);
    std::string pid;
    bool inside = false;
    std::map<std::string, std::string> unfinished; // per process: the call's first half
    std::set<long> descriptors;                    // opened between the markers, not yet closed

    for (std::string line; std::getline(in, line);) {
        const auto blank = line.find(' ');
        if (blank == std::string::npos)
            continue;
        const std::string linePid = line.substr(0, blank);
        std::string text = line.substr(line.find_first_not_of(' ', blank));
        // A call that another thread interrupted comes in two halves.
        if (const auto cut = text.find(" <unfinished ...>"); cut != std::string::npos) {
            unfinished[linePid] = text.substr(0, cut);
            continue;
        }
        if (text.rfind("<... ", 0) == 0) {
            const auto resumed = text.find(" resumed>");
            if (resumed == std::string::npos)
                continue;
            text = unfinished[linePid] + text.substr(resumed + 9);
        }
        if (!inside) {
            if (text.find(kBegin) != std::string::npos) {
                inside = true;
                pid = linePid;
            }
            continue;
        }
        // Initialize runs on the caller's thread; runtime threads of the tools are not its calls.
        if (linePid != pid)
            continue;
        if (text.find(kEnd) != std::string::npos)
            break;
        const std::optional<Call> call = parseCall(text);
        if (!call) {
            trace.problems.push_back("unreadable: " + text);
            continue;
        }
        const std::string& name = call->name;
        const std::string path = firstPath(call->arguments);
        const bool atWorkingDirectory = call->arguments.rfind("AT_FDCWD", 0) == 0;
        const bool hasPath = call->arguments.rfind("\"", 0) == 0 || (atWorkingDirectory && !path.empty());

        if (name == "getcwd") {
            trace.calls.push_back("getcwd");
        } else if (name == "chdir" || name == "access" || name == "faccessat" || name == "faccessat2") {
            trace.calls.push_back((name == "chdir" ? "chdir " : "access ") + path);
        } else if ((name == "stat" || name == "lstat" || name == "newfstatat" || name == "statx") && hasPath) {
            trace.calls.push_back("stat " + path);
        } else if (name == "open" || name == "openat") {
            const std::string& args = call->arguments;
            const bool writes = args.find("O_WRONLY") != std::string::npos || args.find("O_RDWR") != std::string::npos ||
                                args.find("O_CREAT") != std::string::npos;
            if (writes)
                trace.problems.push_back("opened for writing: " + path);
            trace.calls.push_back("open " + path);
            if (call->result >= 0)
                descriptors.insert(call->result);
        } else if (name == "mmap" || name == "mmap2") {
            // Anonymous memory is the allocator's business (sanitizer runtimes map a lot).
            if (call->arguments.find("MAP_ANONYMOUS") == std::string::npos)
                trace.problems.push_back("maps a file: " + text);
        } else if (hasPath || call->arguments.empty()) {
            trace.calls.push_back(name + " " + path);
        } else {
            // A call on a descriptor: only on those that Initialize opened itself.
            const long fd = std::strtol(call->arguments.c_str(), nullptr, 10);
            if (!descriptors.count(fd))
                trace.problems.push_back("call on a descriptor not opened by Initialize: " + text);
            if (name == "write" || name == "pwrite64" || name == "writev" || name == "ftruncate")
                trace.problems.push_back("write: " + text);
            if (name == "close")
                descriptors.erase(fd);
        }
    }
    if (!inside)
        trace.problems.push_back("no begin marker in the trace");
    for (long fd : descriptors)
        trace.problems.push_back("descriptor left open: " + std::to_string(fd));
    return trace;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

using qztest::setModified;

class StraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (run({QZ_STRACE, "-o", "/dev/null", "/bin/true"}, {}, "/") != 0)
            GTEST_SKIP() << "strace cannot trace processes here";
        work = tree.mkdir("work");
        registry = tree.path("registry.reg");
        env = {"HOME=" + tree.mkdir("user"), "CORVAN_REGISTRY=" + registry};
        // The coverage runtime's own settings pass through unchanged.
        for (char** entry = environ; *entry; ++entry)
            if (std::string(*entry).rfind("GCOV_", 0) == 0)
                env.push_back(*entry);
    }

    // The executable of a sandbox tree: home/bin/linux64/ryndel, with home/qzcommon.
    std::string sandbox(const std::string& home, const std::string& exeName = "ryndel")
    {
        tree.mkdir(home + "/qzcommon");
        return tree.touch(home + "/bin/linux64/" + exeName);
    }

    Trace trace(const std::string& executableName)
    {
        const std::string output = tree.path("trace.txt");
        Trace result;
        const int status = run({QZ_STRACE, "-f", "-e", "trace=%file,%desc", "-o", output, QZ_STRACE_HELPER, executableName},
                               env, work);
        result = readTrace(output);
        result.exitStatus = status;
        return result;
    }

    TempTree tree;
    std::string work;
    std::string registry;
    std::vector<std::string> env;
};

// Bare name on a three-entry PATH (one entry skipped for its dot), no CORVAN_HOME and
// no registry file: every system variable is looked for in the registry file, whose
// status query finds none, and the
// walk finds the marker two levels above the executable's directory.
TEST_F(StraceTest, BareNameOnThePathAndAWalkTwoLevelsUp)
{
    const std::string home = tree.path("sb");
    const std::string exe = sandbox("sb");
    const std::string p1 = tree.mkdir("p1");
    const std::string exeDir = home + "/bin/linux64";
    env.push_back("PATH=" + p1 + ":./p2:" + exeDir);

    const Trace result = trace("ryndel");
    ASSERT_EQ(result.exitStatus, 0) << "Initialize failed";
    const std::vector<std::string> expected = {
        "getcwd",
        // the search: the name as given, then .bat, .com, .exe, entry by entry
        "access " + p1 + "/ryndel", "access " + p1 + "/ryndel.bat", "access " + p1 + "/ryndel.com",
        "access " + p1 + "/ryndel.exe", "access " + exe,
        "stat " + exe,
        // DISPLAY, CORVAN_ARCH, CORVAN_HOME
        "stat " + registry, "stat " + registry, "stat " + registry,
        // the walk, and back
        "chdir " + exeDir, "access qzcommon",
        "chdir ..", "getcwd", "access qzcommon",
        "chdir ..", "getcwd", "access qzcommon", "stat qzcommon",
        "chdir " + work,
        // the catalogues: the front end's runtime library, the sandbox framework, the
        // documents folder, then QZ_MSG_HELP
        "access " + home + "/ry/bin/linux64/ry10.dll",
        "access " + home + "/dn/framework/backbone/base",
        "open " + tree.path("user/.config/user-dirs.dirs"),
        "stat " + registry,
    };
    EXPECT_EQ(joined(result.calls), joined(expected));
    EXPECT_EQ(joined(result.problems), "");
}

// Absolute name found with its extension, CORVAN_HOME from the environment, a registry
// file and a documents setting to read: no walk and no registry read for CORVAN_HOME,
// every file that is read is closed again. The registry file, last changed an hour ago,
// is opened and imported once; later lookups only query its status.
TEST_F(StraceTest, AbsoluteNameAndCorvanHomeReadEveryFileOnce)
{
    const std::string home = tree.path("sb");
    const std::string exe = sandbox("sb", "ryndel.exe");
    const std::string stem = home + "/bin/linux64/ryndel";
    const std::string runtimeDir = tree.mkdir("runtime");
    tree.touch("registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0.60]\r\n"
                               "\"DISPLAY\"=\":7\"\r\n");
    setModified(registry, -3600);
    tree.touch("user/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    tree.mkdir("sb/dn/framework/backbone/base");
    env.push_back("CORVAN_HOME=" + home + "/");
    env.push_back("RY_DLL_PATH=" + runtimeDir);
    env.push_back("PATH=" + tree.mkdir("p1"));

    const Trace result = trace(stem);
    ASSERT_EQ(result.exitStatus, 0) << "Initialize failed";
    const std::vector<std::string> expected = {
        "getcwd",
        "access " + stem, "access " + stem + ".bat", "access " + stem + ".com", "access " + exe,
        "stat " + exe,
        // DISPLAY, CORVAN_ARCH
        "stat " + registry, "open " + registry, "stat " + registry,
        "access " + home + "/qzcommon", "stat " + home + "/qzcommon",
        "access " + home + "/ry/bin/linux64/ry10.dll", "access " + runtimeDir,
        "access " + home + "/dn/framework/backbone/base",
        "open " + tree.path("user/.config/user-dirs.dirs"),
        "stat " + registry,
    };
    EXPECT_EQ(joined(result.calls), joined(expected));
    EXPECT_EQ(joined(result.problems), "");
}

// An installation whose system variables all come from the environment: no registry
// read at all, no status query of a marker that does not exist, no sandbox probe.
TEST_F(StraceTest, InstallationWithEveryVariableSetReadsNoRegistry)
{
    const std::string home = tree.mkdir("inst");
    const std::string exe = tree.touch("inst/bin/linux64/ryndel");
    const std::string config = tree.mkdir("config");
    env.push_back("CORVAN_HOME=" + home);
    env.push_back("DISPLAY=:0");
    env.push_back("CORVAN_ARCH=amd64");
    env.push_back("QZ_MSG_HELP=/help");
    env.push_back("XDG_CONFIG_HOME=" + config);
    env.push_back("PATH=" + home + "/bin/linux64");

    const Trace result = trace("ryndel");
    ASSERT_EQ(result.exitStatus, 0) << "Initialize failed";
    const std::vector<std::string> expected = {
        "getcwd",
        "access " + exe,
        "stat " + exe,
        "access " + home + "/qzcommon",
        "access " + home + "/ry/bin/linux64/ry10.dll",
        "open " + config + "/user-dirs.dirs",
    };
    EXPECT_EQ(joined(result.calls), joined(expected));
    EXPECT_EQ(joined(result.problems), "");
}

// QZAPPINFO_TRACE unset and set to the empty text: not one call more than without it
// (the other tests run with it unset).
TEST_F(StraceTest, AnEmptyTraceSettingAddsNoCall)
{
    const std::string home = tree.mkdir("inst");
    tree.touch("inst/bin/linux64/ryndel");
    env.push_back("CORVAN_HOME=" + home);
    env.push_back("PATH=" + home + "/bin/linux64");
    const Trace unset = trace("ryndel");
    env.push_back("QZAPPINFO_TRACE=");
    const Trace empty = trace("ryndel");
    ASSERT_EQ(unset.exitStatus, 0) << "Initialize failed";
    EXPECT_EQ(empty.exitStatus, 0);
    EXPECT_EQ(joined(empty.calls), joined(unset.calls));
    EXPECT_EQ(joined(empty.problems), "");
}

} // namespace
