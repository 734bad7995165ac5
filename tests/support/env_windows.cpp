// env_windows.cpp - the tests' environment and path spelling on Windows.
#include "support/TestSupport.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

namespace qztest {

// The C runtime removes a variable that is set to the empty text.
void setEnv(const std::string& name, const std::optional<std::string>& value)
{
    _putenv_s(name.c_str(), value ? value->c_str() : "");
}

bool canHoldEmptyVariables() { return false; }

std::string nativePath(const std::filesystem::path& path)
{
    return path.lexically_normal().make_preferred().string();
}

char joinSeparator() { return '\\'; }

bool bareNamesSearchCurrentDirectory() { return true; }

char searchPathDelimiter() { return ';'; }

std::string productArchitecture() { return "win64"; }

std::string documentsFolderFor(const std::string&)
{
    char folder[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, folder)))
        return "";
    return folder;
}

bool documentsFolderFollowsHome() { return false; }

// cmd.exe runs the command line; arguments here never hold quotes of their own.
std::string quoteArgument(const std::string& argument) { return "\"" + argument + "\""; }

int exitCodeOf(int systemResult) { return systemResult; }

// cmd.exe drops the first and the last quote of a line that begins with one.
std::string commandLine(const std::string& command) { return "\"" + command + "\""; }

} // namespace qztest
