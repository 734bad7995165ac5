// replace_file_windows.cpp - ReplaceFile.h on Windows, whose machine-wide settings live in
// the registry itself: nothing is replaced.
#include "registry/ReplaceFile.h"

namespace qzpaths::registry {

Replaced replaceFile(const std::string& path, const Edit&)
{
    return {false, "Windows keeps its settings in the registry, not in " + path + ": use reg add or reg delete"};
}

} // namespace qzpaths::registry
