// Registry.h - qzpaths registry: list, lint, set and unset, for the machine-wide settings
// below the suite's base key (the stand-in file on Linux, the registry on Windows).
#ifndef QZPATHS_REGISTRY_REGISTRY_H
#define QZPATHS_REGISTRY_REGISTRY_H

#include "Printing.h"

#include <QZRegistryStandIn.h>

#include <string>

namespace qzpaths::registry {

// What one registry subcommand was asked.
struct Request {
    std::string command; // list, lint, set or unset
    std::string file;    // --file, or lint's FILE; "" for the stand-in in use
    bool all = false;    // list --all: subkeys too
    std::string name;    // set, unset: NAME, with A\B naming value B of subkey A
    std::string value;   // set: VALUE
    std::string type = "sz";
};

// The file that the request means, and where its name came from, in words.
struct Place {
    std::string file;
    std::string why; // "--file", "CORVAN_REGISTRY", "the default"
};
std::optional<Place> placeOf(const Request& request);

// "REG_SZ", "REG_DWORD", ... (REG_<number> for others).
std::string typeName(std::uint32_t type);
// The data as people read it: strings without their terminator (multi-string items
// between quotes), a dword in hex and decimal, other data as hex bytes.
std::string shownData(const qz::standin::Value& value);
json valueJson(const std::string& key, const qz::standin::Value& value, const std::string& file);

// baseKey: the full path of the suite's base key for the running options.
int printList(const Request& request, const std::string& baseKey, const Output& output);
int printLint(const Request& request, const Output& output);
int editValue(const Request& request, const std::string& baseKey, const Output& output);

} // namespace qzpaths::registry

#endif
