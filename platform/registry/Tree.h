// Tree.h - the registry as an import leaves it: keys below their roots, each with its
// values, and for each value the lines that set it. Holds data, reads no file.
#ifndef QZ_PLATFORM_REGISTRY_TREE_H
#define QZ_PLATFORM_REGISTRY_TREE_H

#include "platform/registry/KeyPath.h"

#include <cstdint>
#include <map>
#include <deque>
#include <string>
#include <vector>

namespace qz::regfile {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

inline bool isStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

struct Value {
    std::u16string name; // as the line that set it spells it
    std::uint32_t type = kRegSz;
    // Quoted string data and Windows 3.1 lines hold characters (text); dword and hex data
    // hold bytes, as the file gives them (string types of an 8-bit file in its own bytes).
    bool isText = false;
    std::u16string text;
    std::string bytes;
    // The lines that set it last: the first, and the last of its continuation lines.
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
};

// Names compare as the registry compares them: by their upper case (folded()).
struct Key {
    std::u16string name; // as the line that created it spells it
    std::size_t line = 0; // the key line that created it; 0 for a root
    std::map<std::u16string, Key*> subkeys; // owned by the tree
    std::map<std::u16string, Value> values;
};

// Every key lives in the tree's own store, so that no destructor recurses down a path
// (a file may nest keys deeper than a stack would allow); a removed key is only unlinked,
// and its memory goes with the tree.
class Tree {
public:
    Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    Tree(Tree&&) = default;
    // The key, created with every key above it that is missing; line is the key line.
    // path.kept of its names are those of the path created last (keyBelow says how many).
    Key& create(const KeyPath& path, std::size_t line);
    // Sets value in key under its name; the first line of the value it replaces, or 0.
    std::size_t set(Key& key, const Value& value);
    // Removes the value; false when there was none.
    bool removeValue(Key& key, std::u16string_view name);
    // Removes the key with its subkeys and values; false when there was none.
    bool remove(const KeyPath& path);
    const Key* find(const KeyPath& path) const;
    const Key& root(Root root) const { return *_roots[static_cast<std::size_t>(root)]; }

private:
    std::deque<Key> _keys;
    std::u16string _folded; // a name's upper case, kept to spare an allocation per line
    std::vector<Key*> _chain; // the keys of the path created last, while none is removed
    Key* _roots[kRoots];
};

} // namespace qz::regfile

#endif
