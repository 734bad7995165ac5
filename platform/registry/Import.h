// Import.h - a registry export file imported into memory as `regedit /S` imports it, and
// what the import met on the way, for tools that explain a file.
#ifndef QZ_PLATFORM_REGISTRY_IMPORT_H
#define QZ_PLATFORM_REGISTRY_IMPORT_H

#include "platform/registry/RegistryFile.h"
#include "platform/registry/Text.h"
#include "platform/registry/Tree.h"

#include <string_view>

namespace qz::regfile {

enum class Header { None, Win31, Version4, Version5 };

// Watches an import: the lines that change nothing although they seem to, where the
// import stops, and what later lines undo. Every function does nothing by default;
// lines are numbered from 1, the header being line 1.
class ImportObserver {
public:
    enum class Ignored {
        NotASetting,     // neither a key, a value, a comment nor blank
        BadKeyLine,      // no ']', or a blank right after '['
        UnknownRoot,     // a key outside the six roots; its values are dropped too
        RefusedKeyPath,  // a leading backslash or a name over 256 units
        NoKeyOpen,       // a value with no key open to take it
        BadValueName,    // no closing quote, "\0" or a lone backslash in the name
        BadValue,        // data that regedit does not read (no type, bad digits, text after it)
        BadContinuation, // a continuation line that does not start with a hex digit
    };
    enum class Stop {
        BadString,       // "\0" or a lone backslash at the end of string data
        RootDeletion,    // [-...] of a root itself or of an unknown root
        NoWholeCharacter // hex data of a string type without one whole character
    };
    virtual ~ImportObserver() = default;
    virtual void ignored(std::size_t /*line*/, Ignored /*why*/) {}
    virtual void stopped(std::size_t /*line*/, Stop /*why*/) {}
    // A key line that opens key (created unless it existed).
    virtual void keyOpened(std::size_t /*line*/, const KeyPath& /*key*/) {}
    virtual void keyDeleted(std::size_t /*line*/, const KeyPath& /*key*/, bool /*existed*/) {}
    virtual void valueDeleted(std::size_t /*line*/, const KeyPath& /*key*/, std::u16string_view /*name*/,
                              bool /*existed*/) {}
    // A value set again; earlierLine set it before.
    virtual void valueReplaced(const KeyPath& /*key*/, const Value& /*value*/, std::size_t /*earlierLine*/) {}
};

// The registry that the import leaves, and how it read the file.
struct Imported {
    Header header = Header::None;
    FileText text = FileText::Utf16;
    std::size_t stoppedAt = 0; // the line where the import stopped, or 0
    Tree tree;

    bool exportFile() const { return header != Header::None; }
    // Data of the string types in hex form is UTF-16 in a UTF-16 file, 8-bit text otherwise.
    bool utf16() const { return text == FileText::Utf16; }
    // Whether text may hold escaped bytes (Text.h): only 8-bit text read as UTF-8.
    bool escapedBytes() const { return text == FileText::Utf8; }
};

// Imports contents: UTF-16 after an FF FE mark, else 8-bit text in the caller's encoding.
// Linear in the size of contents.
Imported importRegistry(std::string_view contents, Encoding encoding, ImportObserver* observer = nullptr);

// The value's data as RegQueryValueExA gives it to an 8-bit caller in encoding (RegistryFile.h).
std::string dataOf(const Value& value, const Imported& imported, Encoding encoding);

// A lookup in an imported file, as inspectIn (RegistryFile.h) describes it.
Inspection inspect(const Imported& imported, std::string_view keyPath, std::string_view valueName,
                   Encoding encoding);

// The same in two parts, so that lookups of several values of one key resolve the key
// once: the key (nothing when the path is refused or the key is missing, and then the
// nearest key above it that exists), then a value in it.
struct KeyLookup {
    bool refused = false; // not an export file, or a path that the registry does not open
    const Key* key = nullptr;
    std::string nearestKey;
    std::vector<std::string> nearestSubkeys;
};
KeyLookup lookUpKey(const Imported& imported, std::string_view keyPath, Encoding encoding);
Inspection inspectValue(const Imported& imported, const KeyLookup& key, std::string_view valueName,
                        Encoding encoding);

} // namespace qz::regfile

#endif
