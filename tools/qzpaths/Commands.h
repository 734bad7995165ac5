// Commands.h - the scripting side of qzpaths: keys, get in its output forms, and check
// with its choices; declarations only, each defined in the file named beside it.
#ifndef QZPATHS_COMMANDS_H
#define QZPATHS_COMMANDS_H

#include "Printing.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qzpaths {

// Keys.cpp: qzpaths keys [--values], from the start-up report's list of the published
// table (values may hold any byte but NUL, line ends included).
int printKeys(const QZStartupReport& report, bool withValues, const Output& output);

// Get.cpp: how get writes its values.
enum class GetFormat {
    Lines, // one value a line
    Nul,   // each value followed by a NUL byte (-0)
    Shell, // POSIX-shell assignments (--shell)
    Json,
};
int printValues(QZApplicationInfo& record, const std::vector<std::string>& keys, GetFormat format);

// Shell.cpp: the shell variable that get --shell assigns a key's value to: "QZ_", then
// the key upper-cased, with every character outside [A-Za-z0-9_] written as '_'.
std::string shellVariableName(const std::string& key);
// text in single quotes, each ' written as '\'': the shell takes every other byte as it is.
std::string shellQuoted(const std::string& text);

// Check.cpp
struct CheckOptions {
    // The keys that must be present; empty: the built-in list (kRequiredLocations).
    std::vector<std::string> required;
    // List only the locations that are not there, without the tree.
    bool missingOnly = false;
};
int printCheck(QZApplicationInfo& record, const QZStartupReport& report, const CheckOptions& options,
               const Output& output);

// Colour.cpp: --color=auto|always|never beside NO_COLOR and TERM.
enum class ColourChoice { Auto, Always, Never };
std::optional<ColourChoice> colourChoiceNamed(const std::string& name);
// Auto: colour only on a terminal, with NO_COLOR unset or empty and TERM other than
// "dumb". An explicit choice wins over both variables.
bool wantColour(ColourChoice choice, bool stdoutIsTerminal, const char* noColor, const char* term);

} // namespace qzpaths

#endif
