// QZRegistryStandIn.h - a registry export file as its tools see it: every value that the
// import leaves with the lines that set it, what the import met on the way, and where the
// sections of each key lie. For qzpaths registry; applications read values through the record.
#ifndef QZREGISTRYSTANDIN_H
#define QZREGISTRYSTANDIN_H

#include "qzappinfo_export.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz::standin {

// The longest data that a lookup reads, in bytes (a string's terminator included).
constexpr std::size_t kReadLimit = 1023;

// A value's type by its name: "REG_SZ", "REG_DWORD", ... ("REG_<number>" for others).
QZAPPINFO_EXPORT std::string typeName(std::uint32_t type);
// Whether data of the type is text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ).
QZAPPINFO_EXPORT bool isText(std::uint32_t type);
// The first %NAME% in text (up to its first NUL), which nothing expands; empty when none.
QZAPPINFO_EXPORT std::string_view unexpandedName(std::string_view text);

// A value as the registry holds it after the import. Texts are 8-bit text (UTF-8).
struct Value {
    std::string name;        // "" for the key's default value
    std::uint32_t type = 1;  // REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4, REG_MULTI_SZ 7, ...
    std::string data;        // as an 8-bit caller gets it: a string with its terminator
    std::size_t firstLine = 0; // the lines that set it last; 0 for the system's registry
    std::size_t lastLine = 0;
};

// A key that holds values, with its full path and root: HKEY_LOCAL_MACHINE\SOFTWARE\...
struct Key {
    std::string path;
    std::vector<Value> values;
};

// Something the import does that an administrator may not expect, at a line.
struct Finding {
    enum class Kind {
        Ignored,       // a line that changes nothing although it seems to
        Stopped,       // the import stops here: no later line is read
        KeyDeleted,    // [-KEY]
        ValueDeleted,  // "NAME"=-
        ValueReplaced, // set again: the later line wins (earlierLine set it before)
        TooLong,       // data longer than a lookup reads
        NotUtf8,       // bytes of an 8-bit file that are not UTF-8
        TooLarge,      // a file large enough to slow every start-up
        NotText,       // data of a type that is not a string: a lookup takes its bytes as text
        NotExpanded,   // %NAME% in a value: nothing expands it
        NotRead,       // a value outside HKEY_LOCAL_MACHINE, which the suite never reads
    };
    Kind kind;
    std::size_t line = 0;
    std::string what;        // in words, naming the value and its key (a long path shortened)
    std::size_t earlierLine = 0;
    bool loses = true;       // something written in the file is not in the registry afterwards
};

// One section of a key: the line that opens it, and the last line of a value set in it
// (the key line itself when none is).
struct Section {
    std::string key;
    std::size_t keyLine = 0;
    std::size_t lastLine = 0;
};

struct File {
    std::string path;
    std::string error;       // why the file could not be read; empty when it was
    std::size_t bytes = 0;
    bool exportFile = false; // its first line is a header that regedit accepts
    bool utf16 = false;      // UTF-16LE with its byte-order mark, else 8-bit text
    bool hasNul = false;     // a NUL character, which cuts its line short
    std::size_t stoppedAt = 0;
    std::vector<Key> keys;         // every key that holds values, and its values
    std::size_t valueCount = 0;
    std::vector<Finding> findings; // in the order of the lines
    std::vector<Section> sections; // in the order of the lines
};

// The file at path, read and imported as `regedit /S` imports it.
QZAPPINFO_EXPORT File readFile(const std::string& path);
// The same for contents already read.
QZAPPINFO_EXPORT File readContents(std::string_view contents, const std::string& path);

// Whether key is keyPath itself (or, with subkeys, a key below it), compared as the
// registry compares names; also whether two value names are the same name.
QZAPPINFO_EXPORT bool isAtOrBelow(std::string_view key, std::string_view keyPath, bool subkeys);

// The file that stands in for the registry, and the variable that named it ("" for the
// default); nothing where the system has a registry of its own (Windows).
QZAPPINFO_EXPORT std::optional<std::pair<std::string, std::string>> standInFile();

// The values of keyPath (and of its subkeys when subkeys) in the system's registry, as a
// 64-bit program reads them: on Windows through RegEnumValueA; nothing where the registry
// is a stand-in file.
QZAPPINFO_EXPORT std::optional<std::vector<Key>> systemValues(const std::string& keyPath, bool subkeys);

} // namespace qz::standin

#endif
