// Tree.cpp - keys created, found and removed by their paths.
#include "platform/registry/Tree.h"

#include "platform/registry/CaseTable.h"

#include <algorithm>

namespace qz::regfile {

namespace {

constexpr std::u16string_view kRootSpellings[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_USERS", u"HKEY_CLASSES_ROOT",
                                                  u"HKEY_CURRENT_CONFIG", u"HKEY_CURRENT_USER", u"HKEY_DYN_DATA"};

} // namespace

Tree::Tree()
{
    for (std::size_t r = 0; r < kRoots; ++r) {
        _roots[r] = &_keys.emplace_back();
        _roots[r]->name = kRootSpellings[r];
    }
}

Key& Tree::create(const KeyPath& path, std::size_t line)
{
    // The keys of the names that the path shares with the last one created are known.
    const std::size_t kept = std::min(path.kept, _chain.size());
    _chain.resize(kept);
    Key* key = kept > 0 ? _chain.back() : _roots[static_cast<std::size_t>(path.root)];
    for (std::size_t i = kept; i < path.names.size(); ++i) {
        const std::u16string& name = path.names[i];
        foldInto(name, _folded);
        auto found = key->subkeys.lower_bound(_folded);
        if (found == key->subkeys.end() || found->first != _folded) {
            Key* created = &_keys.emplace_back();
            created->name = name;
            created->line = line;
            found = key->subkeys.emplace_hint(found, _folded, created);
        }
        key = found->second;
        _chain.push_back(key);
    }
    return *key;
}

std::size_t Tree::set(Key& key, const Value& value)
{
    foldInto(value.name, _folded);
    auto found = key.values.lower_bound(_folded);
    if (found == key.values.end() || found->first != _folded) {
        key.values.emplace_hint(found, _folded, value);
        return 0;
    }
    const std::size_t earlier = found->second.firstLine;
    found->second = value;
    return earlier;
}

bool Tree::removeValue(Key& key, std::u16string_view name)
{
    foldInto(name, _folded);
    return key.values.erase(_folded) > 0;
}

bool Tree::remove(const KeyPath& path)
{
    if (path.names.empty())
        return false;
    Key* parent = _roots[static_cast<std::size_t>(path.root)];
    for (std::size_t i = 0; i + 1 < path.names.size(); ++i) {
        foldInto(path.names[i], _folded);
        const auto found = parent->subkeys.find(_folded);
        if (found == parent->subkeys.end())
            return false;
        parent = found->second;
    }
    foldInto(path.names.back(), _folded);
    if (parent->subkeys.erase(_folded) == 0)
        return false;
    _chain.clear();
    return true;
}

const Key* Tree::find(const KeyPath& path) const
{
    const Key* key = _roots[static_cast<std::size_t>(path.root)];
    for (const std::u16string& name : path.names) {
        const auto found = key->subkeys.find(folded(name));
        if (found == key->subkeys.end())
            return nullptr;
        key = found->second;
    }
    return key;
}

} // namespace qz::regfile
