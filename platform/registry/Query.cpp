// Query.cpp - lookups in an imported file: the wanted key and value found in the tree,
// and the value's data handed out as an 8-bit caller reads it.
#include "platform/registry/Import.h"

#include "platform/FileContents.h"

#include <algorithm>

namespace qz::regfile {

std::string dataOf(const Value& value, const Imported& imported, Encoding encoding)
{
    if (value.isText)
        return encodeString(value.text, encoding, imported.escapedBytes());
    if (!isStringType(value.type) || value.bytes.empty())
        return value.bytes;
    // String-typed hex data ends in a terminator; UTF-16 data loses an odd last byte on
    // the way to the caller's encoding, 8-bit data comes back as it was.
    if (!imported.utf16()) {
        std::string bytes = value.bytes;
        if (bytes.back() != '\0')
            bytes += '\0';
        return bytes;
    }
    std::u16string text = decoded(value.bytes, FileText::Utf16);
    if (text.back() == 0)
        text.pop_back();
    return encodeString(text, encoding, false);
}

namespace {

// The nearest key above a missing one that exists, with its subkeys' names, in UTF-8.
void nearest(const Imported& imported, KeyPath path, KeyLookup& found)
{
    static const char* const roots[] = {"HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                                        "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_DYN_DATA"};
    const auto utf8 = [&](const std::u16string& name) {
        std::string text = encodeString(name, Encoding::Utf8, imported.escapedBytes());
        text.pop_back();
        return text;
    };
    while (!path.names.empty()) {
        path.names.pop_back();
        const Key* key = path.names.empty() ? &imported.tree.root(path.root) : imported.tree.find(path);
        if (!key)
            continue;
        found.nearestKey = roots[static_cast<std::size_t>(path.root)];
        for (const std::u16string& name : path.names)
            found.nearestKey += "\\" + utf8(name);
        for (const auto& [folded, subkey] : key->subkeys)
            found.nearestSubkeys.push_back(utf8(subkey->name));
        return;
    }
}

} // namespace

KeyLookup lookUpKey(const Imported& imported, std::string_view keyPath, Encoding encoding)
{
    KeyLookup found;
    const std::optional<Target> target = makeTarget(keyPath, {}, encoding);
    if (!imported.exportFile() || !target || (target->escapedBytes && imported.utf16())) {
        found.refused = true;
        return found;
    }
    found.key = imported.tree.find(target->key);
    if (!found.key)
        nearest(imported, target->key, found);
    return found;
}

Inspection inspectValue(const Imported& imported, const KeyLookup& key, std::string_view valueName,
                        Encoding encoding)
{
    Inspection found;
    found.exportFile = imported.exportFile();
    valueName = valueName.substr(0, valueName.find('\0'));
    const FileText text = encoding == Encoding::Utf8 ? FileText::Utf8 : FileText::Cp1252;
    const std::u16string name = decoded(valueName, text);
    // A name that the registry does not take leaves the key unopened, as a refused path does.
    const bool escaped = text == FileText::Utf8 && std::any_of(name.begin(), name.end(), isEscapedByte);
    if (key.refused || name.size() > kMaxValueName || (escaped && imported.utf16()))
        return found;
    if (!key.key) {
        found.nearestKey = key.nearestKey;
        found.nearestSubkeys = key.nearestSubkeys;
        return found;
    }
    found.keyFound = true;
    const auto value = key.key->values.find(folded(name));
    if (value != key.key->values.end()) {
        found.data = dataOf(value->second, imported, encoding);
        found.type = value->second.type;
    }
    return found;
}

Inspection inspect(const Imported& imported, std::string_view keyPath, std::string_view valueName,
                   Encoding encoding)
{
    return inspectValue(imported, lookUpKey(imported, keyPath, encoding), valueName, encoding);
}

Inspection inspectIn(std::string_view contents, std::string_view keyPath, std::string_view valueName,
                     Encoding encoding)
{
    return inspect(importRegistry(contents, encoding), keyPath, valueName, encoding);
}

std::optional<std::string> queryValueIn(std::string_view contents, std::string_view keyPath,
                                        std::string_view valueName, std::size_t maxBytes, Encoding encoding)
{
    Inspection found = inspectIn(contents, keyPath, valueName, encoding);
    if (found.data && found.data->size() > maxBytes)
        return std::nullopt;
    return std::move(found.data);
}

std::optional<std::string> queryValue(const std::string& filePath, std::string_view keyPath,
                                      std::string_view valueName, std::size_t maxBytes, Encoding encoding)
{
    const std::optional<platform::FileBytes> contents = platform::fileBytes(filePath.c_str());
    if (!contents)
        return std::nullopt;
    return queryValueIn(contents->view(), keyPath, valueName, maxBytes, encoding);
}

} // namespace qz::regfile
