// env_posix.cpp - the tests' environment and path spelling on POSIX systems.
#include "support/TestSupport.h"

#include <sys/wait.h>

#include <cstdlib>

namespace qztest {

void setEnv(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

bool canHoldEmptyVariables() { return true; }

std::string nativePath(const std::filesystem::path& path) { return path.string(); }

char joinSeparator() { return '/'; }

bool bareNamesSearchCurrentDirectory() { return false; }

char searchPathDelimiter() { return ':'; }

std::string productArchitecture() { return "linux64"; }

std::string documentsFolderFor(const std::string& home) { return home; }

bool documentsFolderFollowsHome() { return true; }

std::string quoteArgument(const std::string& argument)
{
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int exitCodeOf(int systemResult) { return WIFEXITED(systemResult) ? WEXITSTATUS(systemResult) : -1; }

std::string commandLine(const std::string& command) { return command; }

} // namespace qztest
