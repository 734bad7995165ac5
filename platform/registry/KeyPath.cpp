// KeyPath.cpp - key paths: roots, names below a root, and the caller's wanted key and value.
#include "platform/registry/KeyPath.h"

#include "platform/registry/CaseTable.h"
#include "platform/registry/Text.h"

#include <iterator>

namespace qz::regfile {

namespace {

constexpr std::u16string_view kRootNames[] = {u"hkey_local_machine", u"hkey_users",        u"hkey_classes_root",
                                              u"hkey_current_config", u"hkey_current_user", u"hkey_dyn_data"};

bool startsWithRoot(std::u16string_view path, std::u16string_view name)
{
    if (path.size() < name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (asciiLower(path[i]) != name[i])
            return false;
    return true;
}

} // namespace

Root parseRoot(std::u16string_view path, std::size_t& below)
{
    for (std::size_t r = 0; r < std::size(kRootNames); ++r) {
        const std::u16string_view name = kRootNames[r];
        if (!startsWithRoot(path, name) || (path.size() > name.size() && path[name.size()] != '\\'))
            continue;
        below = path.size() == name.size() ? kNone : name.size() + 1;
        return static_cast<Root>(r);
    }
    return Root::None;
}

bool keyBelow(Root root, std::u16string_view below, KeyPath& key)
{
    const Root top = root == Root::ClassesRoot ? Root::LocalMachine : root;
    std::size_t count = 0;
    key.kept = 0;
    bool keeping = key.root == top;
    auto add = [&](std::u16string_view name) {
        if (count >= key.names.size())
            key.names.emplace_back(name);
        else if (keeping && key.names[count] == name)
            key.kept = count + 1;
        else
            key.names[count].assign(name);
        keeping = keeping && key.kept == count + 1;
        ++count;
    };
    key.root = Root::None;
    if (!below.empty() && below.front() == '\\')
        return false;
    if (root == Root::ClassesRoot) {
        add(u"SOFTWARE");
        add(u"Classes");
    }
    for (std::size_t i = 0; i < below.size();) {
        const std::size_t end = std::min(below.find(u'\\', i), below.size());
        if (end - i > kMaxKeyName) {
            key.root = Root::None;
            return false;
        }
        if (end > i)
            add(below.substr(i, end - i));
        i = end + 1;
    }
    key.names.resize(count);
    key.root = top;
    return true;
}

void foldInto(std::u16string_view name, std::u16string& out)
{
    out.assign(name);
    for (char16_t& c : out)
        c = foldCase(c);
}

std::u16string folded(std::u16string_view name)
{
    std::u16string out;
    foldInto(name, out);
    return out;
}

std::optional<Target> makeTarget(std::string_view keyPath, std::string_view valueName, Encoding encoding)
{
    keyPath = keyPath.substr(0, keyPath.find('\0'));
    valueName = valueName.substr(0, valueName.find('\0'));
    const FileText text = encoding == Encoding::Utf8 ? FileText::Utf8 : FileText::Cp1252;
    const std::u16string path = decoded(keyPath, text);
    Target target;
    target.name = decoded(valueName, text);
    std::size_t below = kNone;
    const Root root = parseRoot(path, below);
    if (root == Root::None || target.name.size() > kMaxValueName)
        return std::nullopt;
    const std::u16string_view rest = below == kNone ? std::u16string_view() : std::u16string_view(path).substr(below);
    if (rest.size() > kMaxOpenPathA)
        return std::nullopt;
    if (!keyBelow(root, rest, target.key))
        return std::nullopt;
    auto escaped = [](const std::u16string& s) {
        for (Unit c : s)
            if (isEscapedByte(c))
                return true;
        return false;
    };
    target.escapedBytes = text == FileText::Utf8 && (escaped(path) || escaped(target.name));
    return target;
}

} // namespace qz::regfile
