// Check.cpp - qzpaths check: every published location probed, shown as a tree of
// directories below the home.
#include "Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

using json = nlohmann::ordered_json;

namespace qzpaths {

const char* const kRequiredLocations[] = {"qz_bindir", "qz_tcl_common", "tcl_bin", "tcl_lib", "tk_lib", "utility_dir"};
const std::size_t kRequiredLocationCount = std::size(kRequiredLocations);

namespace {

bool isRequired(const std::string& key)
{
    return std::find_if(std::begin(kRequiredLocations), std::end(kRequiredLocations),
                        [&](const char* required) { return key == required; }) != std::end(kRequiredLocations);
}

// A published location: a key whose value names a place in the file system. Fragments
// such as an empty documents folder name nothing and are not probed.
struct Location {
    std::string key;
    std::string path;
    bool exists;
    bool required;
};

// One directory or file of the tree, with the keys that name it.
struct Node {
    std::map<std::string, Node> children;
    std::vector<const Location*> locations;
};

std::vector<std::string> componentsOf(const std::string& relative)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

class TreePrinter {
public:
    explicit TreePrinter(bool colour) : _colour(colour) {}

    void print(const Node& node, const std::string& indent) const
    {
        std::size_t left = node.children.size();
        for (const auto& [name, child] : node.children) {
            const bool last = --left == 0;
            std::cout << indent << (last ? "`-- " : "|-- ") << name;
            printMarks(child);
            std::cout << '\n';
            print(child, indent + (last ? "    " : "|   "));
        }
    }

    void printMarks(const Node& node) const
    {
        if (node.locations.empty())
            return;
        const bool exists = node.locations.front()->exists;
        std::cout << "  " << mark(exists, std::any_of(node.locations.begin(), node.locations.end(),
                                                         [](const Location* l) { return l->required; }));
        std::cout << "  ";
        for (std::size_t i = 0; i < node.locations.size(); ++i)
            std::cout << (i ? ", " : "") << node.locations[i]->key;
    }

    std::string mark(bool exists, bool required) const
    {
        const std::string word = exists ? "[ok]" : required ? "[MISSING, required]" : "[missing]";
        if (!_colour)
            return word;
        return std::string(exists ? "\033[32m" : required ? "\033[1;31m" : "\033[33m") + word + "\033[0m";
    }

private:
    bool _colour;
};

std::vector<Location> probe(Record& record)
{
    std::vector<Location> locations;
    for (const auto& [key, value] : publishedEntries(record)) {
        if (value.empty())
            continue;
        std::error_code error;
        const bool exists = std::filesystem::exists(std::filesystem::u8path(value), error);
        locations.push_back({key, value, exists, isRequired(key)});
    }
    return locations;
}

} // namespace

int printCheck(Record& record, const Output& output)
{
    const std::vector<Location> locations = probe(record);
    const std::string home = record.GetCorvanHome();
    std::size_t present = 0;
    std::vector<std::string> requiredMissing;
    for (const Location& location : locations) {
        present += location.exists ? 1 : 0;
        if (!location.exists && location.required)
            requiredMissing.push_back(location.key);
    }
    const int result = requiredMissing.empty() ? Success : Negative;

    if (output.json) {
        json list = json::array();
        for (const Location& location : locations)
            list.push_back({{"key", location.key},
                            {"path", location.path},
                            {"exists", location.exists},
                            {"required", location.required}});
        std::cout << json{{"home", home},
                          {"present", present},
                          {"missing", locations.size() - present},
                          {"requiredMissing", requiredMissing},
                          {"locations", list}}
                         .dump(2)
                  << '\n';
        return result;
    }

    // Locations below the home form one tree; the others are listed after it.
    Node root;
    std::vector<const Location*> outside;
    for (const Location& location : locations) {
        if (location.path.compare(0, home.size(), home) != 0) {
            outside.push_back(&location);
            continue;
        }
        Node* node = &root;
        for (const std::string& part : componentsOf(location.path.substr(home.size())))
            node = &node->children[part];
        node->locations.push_back(&location);
    }
    const TreePrinter printer(output.colour);
    std::cout << home;
    printer.printMarks(root);
    std::cout << '\n';
    printer.print(root, "");
    if (!outside.empty()) {
        std::cout << "\nOutside the home:\n";
        for (const Location* location : outside)
            std::cout << "  " << location->path << "  " << printer.mark(location->exists, location->required) << "  "
                      << location->key << '\n';
    }
    std::cout << '\n'
              << locations.size() << " locations: " << present << " present, " << locations.size() - present
              << " missing";
    if (!requiredMissing.empty()) {
        std::cout << "; required but missing:";
        for (const std::string& key : requiredMissing)
            std::cout << ' ' << key;
    }
    std::cout << '\n';
    return result;
}

} // namespace qzpaths
