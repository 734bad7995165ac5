// KeyPath.h - key paths: the roots, how a path in the file stands to the wanted key, and
// the wanted key and value as the caller names them.
#ifndef QZ_PLATFORM_REGISTRY_KEYPATH_H
#define QZ_PLATFORM_REGISTRY_KEYPATH_H

#include "platform/registry/CaseTable.h"
#include "platform/registry/Characters.h"
#include "platform/registry/RegistryFile.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::regfile {

enum class Root { LocalMachine, Users, ClassesRoot, CurrentConfig, CurrentUser, DynData, None };

constexpr std::string_view kRootNames[] = {"hkey_local_machine", "hkey_users", "hkey_classes_root",
                                           "hkey_current_config", "hkey_current_user", "hkey_dyn_data"};

// The longest key name the registry creates or opens, in UTF-16 units.
constexpr std::size_t kMaxKeyName = 256;
// RegOpenKeyExA converts the path into a buffer of MAX_PATH + 1 UTF-16 units.
constexpr std::size_t kMaxOpenPathA = 260;
// The longest value name the registry stores.
constexpr std::size_t kMaxValueName = 16383;

// The root that a path names (compared like _wcsnicmp, ASCII only) and where the part
// below it starts (after the first backslash, or kNone when there is none).
template <class Text>
Root parseRoot(const Text& text, std::size_t begin, std::size_t end, std::size_t& below)
{
    for (std::size_t r = 0; r < std::size(kRootNames); ++r) {
        const std::string_view name = kRootNames[r];
        if (end - begin < name.size())
            continue;
        std::size_t i = 0;
        while (i < name.size() && asciiLower(text[begin + i]) == static_cast<unsigned char>(name[i]))
            ++i;
        if (i < name.size())
            continue;
        const std::size_t after = begin + name.size();
        if (after != end && text[after] != '\\')
            continue;
        below = after == end ? kNone : after + 1;
        return static_cast<Root>(r);
    }
    return Root::None;
}

// A key as the names below a root, upper-cased for comparison.
struct KeyView {
    Root root;
    std::vector<std::u16string> names;
};

// How a key path in the file stands to the wanted key.
struct PathMatch {
    bool valid = false;     // the registry accepts the path
    std::size_t names = 0;  // names in the path, counted up to the first one that differs
    std::size_t equal = 0;  // leading names equal to the wanted key's
};

// Splits the path below a root at backslashes; runs of them and trailing ones count as
// one, as the registry reads paths, but a leading one makes the path invalid. The names
// are compared while they match the wanted key's; past the first that differs, only
// their lengths count, which the backslashes measure: the rest of the path is valid when
// every stretch one longer than a name may be holds a backslash. Each character is looked
// at no more than twice.
template <class Text>
PathMatch matchPath(const Text& text, std::size_t begin, std::size_t end, const KeyView& want)
{
    PathMatch match;
    if (begin < end && text[begin] == '\\')
        return match;
    std::size_t i = begin;
    while (i < end) {
        while (i < end && text[i] == '\\')
            ++i;
        if (i == end)
            break;
        if (match.names == want.names.size())
            break;
        const std::u16string& name = want.names[match.names];
        const std::size_t stop = text.find('\\', i, std::min(end, i + name.size() + 1));
        if (stop - i != name.size())
            break;
        std::size_t k = 0;
        while (k < name.size() && foldCase(text[i + k]) == name[k])
            ++k;
        if (k < name.size())
            break;
        ++match.equal;
        ++match.names;
        i = stop;
    }
    if (i < end) {
        ++match.names;
        for (; end - i > kMaxKeyName; i = i + 1) {
            i = text.findLast('\\', i, i + kMaxKeyName + 1);
            if (i == kNone)
                return match;
        }
    }
    match.valid = true;
    return match;
}

// The wanted key, as reached from each root that leads to it, and value name.
struct Target {
    std::vector<KeyView> views;
    std::u16string name;          // upper-cased
    bool escapedBytes = false;    // the names hold bytes that are not UTF-8 (see Text.h)
    bool isRoot = false;          // the key is a root, which always exists
};

// The key and value name as the caller hands them to RegOpenKeyExA (below the root) and
// RegQueryValueExA: 8-bit text in the caller's encoding that ends at a NUL, as C strings
// do. Nothing when the registry could not open the key.
std::optional<Target> makeTarget(std::string_view keyPath, std::string_view valueName, Encoding encoding);

} // namespace qz::regfile

#endif
