// Colour.cpp - when qzpaths colours its output: --color beside NO_COLOR and TERM.
#include "Commands.h"

#include <cstring>

namespace qzpaths {

std::optional<ColourChoice> colourChoiceNamed(const std::string& name)
{
    if (name == "auto")
        return ColourChoice::Auto;
    if (name == "always")
        return ColourChoice::Always;
    if (name == "never")
        return ColourChoice::Never;
    return std::nullopt;
}

bool wantColour(ColourChoice choice, bool stdoutIsTerminal, const char* noColor, const char* term)
{
    if (choice != ColourChoice::Auto)
        return choice == ColourChoice::Always;
    // NO_COLOR counts when it is set and not empty, whatever its value.
    const bool noColorSet = noColor && *noColor;
    const bool dumb = term && std::strcmp(term, "dumb") == 0;
    return stdoutIsTerminal && !noColorSet && !dumb;
}

} // namespace qzpaths
