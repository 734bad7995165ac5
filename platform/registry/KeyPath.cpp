// KeyPath.cpp - the wanted key and value as the caller names them.
#include "platform/registry/KeyPath.h"

#include "platform/registry/Text.h"

#include <algorithm>

namespace qz::regfile {

// As RegOpenKeyExA reads a path under Wine, runs of backslashes and trailing ones count as
// one, while a backslash right after the root, more than 260 units below the root or a key
// name longer than 256 units make the key unreachable. The limits count UTF-16 units of
// the converted text, as the registry functions convert it before they look.
std::optional<Target> makeTarget(std::string_view keyPath, std::string_view valueName, Encoding encoding)
{
    keyPath = keyPath.substr(0, keyPath.find('\0'));
    valueName = valueName.substr(0, valueName.find('\0'));
    const bool utf8 = encoding == Encoding::Utf8;
    const std::u16string path = utf8 ? decodeUtf8(keyPath) : decodeCp1252(keyPath);
    const std::u16string value = utf8 ? decodeUtf8(valueName) : decodeCp1252(valueName);
    auto escaped = [](const std::u16string& text) { return std::any_of(text.begin(), text.end(), isEscapedByte); };

    std::size_t below = kNone;
    const Root root = parseRoot(path, 0, path.size(), below);
    if (root == Root::None || value.size() > kMaxValueName)
        return std::nullopt;
    const std::size_t begin = below == kNone ? path.size() : below;
    if (path.size() - begin > kMaxOpenPathA || (begin < path.size() && path[begin] == '\\'))
        return std::nullopt;
    KeyView key{root == Root::ClassesRoot ? Root::LocalMachine : root, {}};
    if (root == Root::ClassesRoot)
        key.names = {u"SOFTWARE", u"CLASSES"};
    for (std::size_t i = begin; i < path.size();) {
        std::u16string name;
        for (; i < path.size() && path[i] != '\\'; ++i)
            name.push_back(foldCase(path[i]));
        if (name.size() > kMaxKeyName)
            return std::nullopt;
        if (!name.empty())
            key.names.push_back(name);
        while (i < path.size() && path[i] == '\\')
            ++i;
    }
    Target target;
    // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes, so files may reach the key either way.
    if (key.root == Root::LocalMachine && key.names.size() >= 2 && key.names[0] == u"SOFTWARE" &&
        key.names[1] == u"CLASSES")
        target.views.push_back({Root::ClassesRoot, {key.names.begin() + 2, key.names.end()}});
    target.views.push_back(std::move(key));
    for (Unit c : value)
        target.name.push_back(foldCase(c));
    target.isRoot = target.views.back().names.empty();
    target.escapedBytes = utf8 && (escaped(path) || escaped(value));
    return target;
}

} // namespace qz::regfile
