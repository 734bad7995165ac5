// TestSupport.h - temporary trees and environment guards shared by the tests.
#ifndef QZ_TESTS_TESTSUPPORT_H
#define QZ_TESTS_TESTSUPPORT_H

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qztest {

// The process environment as the library reads it. nullopt means unset.
std::optional<std::string> getEnv(const std::string& name);
void setEnv(const std::string& name, const std::optional<std::string>& value);
// Whether the platform can hold a variable that is set to the empty text.
bool canHoldEmptyVariables();
// Whether a bare executable name is looked for in the current directory before PATH.
bool bareNamesSearchCurrentDirectory();
// The character that separates PATH entries.
char searchPathDelimiter();
// The product architecture that the platform's paths are named for.
std::string productArchitecture();
// The documents folder that the system reports while HOME names home and
// XDG_CONFIG_HOME names a folder without user-dirs.dirs.
std::string documentsFolderFor(const std::string& home);
// Whether HOME and XDG_CONFIG_HOME decide the documents folder, so that tests can take
// it away or move it.
bool documentsFolderFollowsHome();

// An argument quoted for the system's command processor.
std::string quoteArgument(const std::string& argument);
// A command line as std::system must be given it.
std::string commandLine(const std::string& command);
// The exit code of a program run with std::system.
int exitCodeOf(int systemResult);

// The path with every backslash turned into '/', as the library stores its home.
std::string slashed(std::string path);
// The platform's own spelling of a path: backslashes and a drive letter on Windows.
std::string nativePath(const std::filesystem::path& path);
// The separator that the library puts between a directory and an executable name.
char joinSeparator();
std::string currentDirectory();

// Sets variables and changes the current directory for one test; puts every variable
// and the current directory back as they were when it is destroyed.
class EnvGuard {
public:
    EnvGuard();
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);
    void chdir(const std::filesystem::path& directory);
    // Unsets every variable that the library reads, and points the registry stand-in
    // at nothing, so that the machine's own settings cannot leak into a test.
    void isolate();

private:
    void remember(const std::string& name);
    std::vector<std::pair<std::string, std::optional<std::string>>> _saved;
    std::filesystem::path _cwd;
};

// A fresh directory tree below the system's temporary folder, removed afterwards.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return _root; }
    // Native spelling of root()/relative.
    std::string path(const std::string& relative = "") const;
    // Creates the directory relative (and its parents); returns its native path.
    std::string mkdir(const std::string& relative) const;
    // Creates the file relative (and its parent directories); returns its native path.
    std::string touch(const std::string& relative, const std::string& content = "") const;

private:
    std::filesystem::path _root;
};

// Sets a file's modification time to seconds from now (negative: in the past).
void setModified(const std::string& path, long seconds);

// What a program printed and returned.
struct ProcessResult {
    int exitCode;
    std::string out;
    std::string err;
};
// Runs program with arguments through the command processor, in the current
// directory and environment, and collects its output through files in tree.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const TempTree& tree);

// What runs program as the unprivileged user nobody, for tests that need a file to be
// unreadable although they run as root: "setpriv" and the arguments that go before
// program's own. program and the library it loads are first copied into tree, so that
// nobody can run them even where the build tree lies in a private directory. An empty
// command when the tests do not run as root (program then runs as it is), nothing when
// they do and setpriv is missing.
struct Command {
    std::string program;
    std::vector<std::string> arguments;
};
std::optional<Command> unprivileged(const std::string& program, const TempTree& tree);

} // namespace qztest

#endif
