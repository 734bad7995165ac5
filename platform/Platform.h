// Platform.h - the library's only boundary to the operating system.
// Declarations only, in the library's own terms; windows.cpp and posix.cpp implement them.
#ifndef QZ_PLATFORM_H
#define QZ_PLATFORM_H

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <string_view>

#include "platform/QZRegistryRead.h"

namespace qz::platform {

// --- Conventions of the platform's paths and names ---

// The text stored as the product architecture.
const char* productArchitecture();
// Whether c separates directories in a path.
bool isSeparator(char c);
// The separator put between a directory and an executable name during the search.
char joinSeparator();
// Whether an executable name names its file without any search.
bool isAbsoluteExecutableName(std::string_view name);

// Where a relative executable name is looked for.
struct ExecutableSearch {
    bool inCurrentDirectory;
    bool alongSearchPath;
};
ExecutableSearch executableSearchFor(std::string_view relativeName);
// The characters that separate the entries of PATH.
std::string_view searchPathDelimiters();
// The characters that separate the entries of a configuration directory list.
std::string_view configPathDelimiters();
// Turns the platform's separators in a home directory into '/'.
void useForwardSlashes(std::string& path);

// --- Process state ---

// The variable's text, or nothing when it is unset (set-but-empty gives "").
std::optional<std::string> environment(const char* name);
// The current directory, or nothing when it cannot be read.
std::optional<std::string> currentDirectory();
bool changeDirectory(const char* path);

// --- File system ---

// Whether anything (file or directory) exists at path.
bool exists(const char* path);
// Whether the status query of path succeeds, and if so whether it is a directory.
enum class Status { Missing, Directory, Other };
Status status(const char* path);

// --- Machine-wide settings ---

// What one read of a value below HKEY_LOCAL_MACHINE consulted and found (QZRegistryRead.h):
// the platform's one registry read. data is the value as an 8-bit caller reads it (string types in the 8-bit code page with their
// terminator, other types as raw bytes), or nothing when the key or value is missing or
// the data is larger than maxBytes. Where a stand-in file holds the registry, it is read
// and imported once and read again only when its status (identity, size, times) changes;
// reads from several threads at once are safe.
RegistryRead readRegistryValue(const std::string& keyPath, const std::string& valueName,
                               std::size_t maxBytes);

// Where the registry is a stand-in file: the file, and the variable that named it ("" for
// the default, /etc/corvan/registry.reg). Linux only.
std::pair<std::string, std::string> registryFile();

// The user's documents folder as the system spells it, or nothing when unknown.
std::optional<std::string> documentsFolder();

} // namespace qz::platform

#endif
