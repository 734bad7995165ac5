// KeyPath.h - key paths as the registry reads them: the roots, the names below a root,
// and the wanted key and value as the caller names them.
#ifndef QZ_PLATFORM_REGISTRY_KEYPATH_H
#define QZ_PLATFORM_REGISTRY_KEYPATH_H

#include "platform/registry/Characters.h"
#include "platform/registry/RegistryFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::regfile {

enum class Root { LocalMachine, Users, ClassesRoot, CurrentConfig, CurrentUser, DynData, None };
constexpr std::size_t kRoots = 6;

// The longest key name the registry creates or opens, in UTF-16 units.
constexpr std::size_t kMaxKeyName = 256;
// RegOpenKeyExA converts the path into a buffer of MAX_PATH + 1 UTF-16 units.
constexpr std::size_t kMaxOpenPathA = 260;
// The longest value name the registry stores.
constexpr std::size_t kMaxValueName = 16383;

// The root that path begins with (its full name, ASCII letters in either case, followed
// by a backslash or the end), and where the part below it starts: after that backslash,
// or kNone when there is none. Root::None when it names no root.
Root parseRoot(std::u16string_view path, std::size_t& below);

// A key: its root and the names below it as spelled. HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes itself, and is never the root of a KeyPath.
struct KeyPath {
    Root root = Root::None;
    std::vector<std::u16string> names;
    std::size_t kept = 0; // the leading names that the last keyBelow into it found as they were
};

// The key that the path below root names, into key (whose storage it reuses): runs of
// backslashes and trailing ones count as one, as the registry reads paths; a leading one,
// or a name over kMaxKeyName units, and the registry refuses the path (false, and key
// then keeps nothing for the next call).
bool keyBelow(Root root, std::u16string_view below, KeyPath& key);

// The upper case that the registry compares names by, unit by unit, into out.
void foldInto(std::u16string_view name, std::u16string& out);
std::u16string folded(std::u16string_view name);

// The wanted key and value.
struct Target {
    KeyPath key;
    std::u16string name;
    bool escapedBytes = false; // the names hold bytes that are not UTF-8 (Text.h)
};

// The key and value name as the caller hands them to RegOpenKeyExA (a full path with its
// root) and RegQueryValueExA: 8-bit text in the caller's encoding that ends at a NUL, as
// C strings do. Nothing when the registry could not open the key: a backslash right
// after the root, more than kMaxOpenPathA units below it, or a key name over kMaxKeyName.
std::optional<Target> makeTarget(std::string_view keyPath, std::string_view valueName, Encoding encoding);

} // namespace qz::regfile

#endif
