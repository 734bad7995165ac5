// Shell.cpp - names and quoting for the POSIX-shell assignments of get --shell.
#include "Commands.h"

namespace qzpaths {

std::string shellVariableName(const std::string& key)
{
    std::string name = "QZ_";
    for (const char c : key) {
        if (c >= 'a' && c <= 'z')
            name += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            name += c;
        else
            name += '_';
    }
    return name;
}

std::string shellQuoted(const std::string& text)
{
    // Inside single quotes the shell expands nothing and keeps line ends and bytes that
    // are no character; only the quote itself must leave the quotes for a moment.
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace qzpaths
