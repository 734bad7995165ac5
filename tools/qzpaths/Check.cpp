// Check.cpp - qzpaths check: every published location probed, shown as a tree of
// directories below the home or as a list of what is not there.
#include "Commands.h"
#include "JsonText.h"
#include "Probe.h"

#include <QZRegistryStandIn.h>

#include <algorithm>
#include <iostream>
#include <map>

namespace qzpaths {

const char* const kRequiredLocations[] = {"qz_bindir", "qz_tcl_common", "tcl_bin", "tcl_lib", "tk_lib", "utility_dir"};
const std::size_t kRequiredLocationCount = std::size(kRequiredLocations);

namespace {

// A published location: a key whose value names a place in the file system. Fragments
// such as an empty documents folder name nothing and are probed only when required.
struct Location {
    std::string key;
    std::string path;
    Probe probe;
    bool required;
};

// One directory or file of the tree, with the keys that name it.
struct Node {
    std::map<std::string, Node> children;
    std::vector<const Location*> locations;
};

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<std::string> componentsOf(const std::string& relative)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : relative) {
        if (isSeparator(c)) {
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

// Whether path lies at or below home: the home itself or a path that continues it with
// a separator (a sibling "/opt/suite2" is not below "/opt/suite").
bool isBelow(const std::string& path, const std::string& home)
{
    return path.compare(0, home.size(), home) == 0 &&
           (path.size() == home.size() || isSeparator(path[home.size()]) || (!home.empty() && isSeparator(home.back())));
}

class Marks {
public:
    explicit Marks(bool colour) : _colour(colour) {}

    std::string mark(const Location& location) const
    {
        const Presence presence = location.probe.presence;
        std::string word = presenceName(presence);
        if (location.required && presence != Presence::Present) {
            std::transform(word.begin(), word.end(), word.begin(), [](char c) { return static_cast<char>(c - 'a' + 'A'); });
            word += ", required";
        }
        word = "[" + word + "]";
        if (!_colour)
            return word;
        const char* colour = presence == Presence::Present ? "\033[32m" : location.required ? "\033[1;31m" : "\033[33m";
        return colour + word + "\033[0m";
    }

    // "  [mark]  key, key  (detail)" for the locations of one path.
    std::string marks(const std::vector<const Location*>& locations) const
    {
        if (locations.empty())
            return "";
        Location shown = *locations.front();
        shown.required = std::any_of(locations.begin(), locations.end(), [](const Location* l) { return l->required; });
        std::string text = "  " + mark(shown) + "  ";
        for (std::size_t i = 0; i < locations.size(); ++i)
            text += (i ? ", " : "") + locations[i]->key;
        return text + detail(shown);
    }

    // The component that decides, when it is not simply the location itself missing.
    static std::string detail(const Location& location)
    {
        const Probe& probe = location.probe;
        if (probe.presence == Presence::Present ||
            (probe.presence == Presence::Missing && probe.at == location.path && probe.reason == "does not exist"))
            return "";
        return "  (" + probeDetail(probe) + ")";
    }

    std::string warning(const std::string& text) const
    {
        return _colour ? "\033[1;31m" + text + "\033[0m" : text;
    }

private:
    bool _colour;
};

void printTree(const Node& node, const std::string& indent, const Marks& marks)
{
    std::size_t left = node.children.size();
    for (const auto& [name, child] : node.children) {
        const bool last = --left == 0;
        std::cout << indent << (last ? "`-- " : "|-- ") << name << marks.marks(child.locations) << '\n';
        printTree(child, indent + (last ? "    " : "|   "), marks);
    }
}

json probeJson(const Probe& probe)
{
    const bool present = probe.presence == Presence::Present;
    return {{"state", presenceName(probe.presence)},
            {"at", present ? json(nullptr) : jsonText(probe.at)},
            {"reason", present ? json(nullptr) : json(probe.reason)}};
}

} // namespace

int printCheck(QZApplicationInfo& record, const QZStartupReport& report, const CheckOptions& options,
               const Output& output)
{
    std::vector<std::string> required = options.required;
    if (required.empty())
        required.assign(std::begin(kRequiredLocations), std::end(kRequiredLocations));
    for (const std::string& key : required) {
        if (!record.GetSpecifiedPath(key.c_str())) {
            std::cerr << "qzpaths: check --require: unknown key: " << key << " (qzpaths keys lists the published keys)\n";
            return Usage;
        }
    }
    const auto isRequired = [&](const std::string& key) {
        return std::find(required.begin(), required.end(), key) != required.end();
    };

    std::vector<Location> locations;
    for (const auto& [key, value] : report.published) {
        const bool needed = isRequired(key);
        if (!value.empty() || needed)
            locations.push_back({key, value, probeLocation(value), needed});
    }
    const std::string home = record.GetCorvanHome();
    const Probe homeProbe = probeLocation(home);
    // What the value that gave the home says of itself: a type that is not text, or a
    // %NAME% that nothing expands.
    std::vector<std::string> homeNotes;
    for (const auto& lookup : report.lookups) {
        if (lookup.name != "CORVAN_HOME" || lookup.source == QZStartupReport::Lookup::Source::Nowhere)
            continue;
        if (lookup.registry && lookup.source == QZStartupReport::Lookup::Source::Registry &&
            !qz::standin::isText(lookup.registry->type))
            homeNotes.push_back("CORVAN_HOME in the registry is " + qz::standin::typeName(lookup.registry->type) +
                                " data, not text: the home is its bytes as they stand");
        if (const std::string_view unexpanded = qz::standin::unexpandedName(lookup.value); !unexpanded.empty())
            homeNotes.push_back("CORVAN_HOME holds " + std::string(unexpanded) +
                                ", which nothing expands: the home is used as it stands");
    }

    std::map<Presence, std::size_t> counts;
    std::vector<std::string> requiredMissing, requiredUnreachable;
    for (const Location& location : locations) {
        ++counts[location.probe.presence];
        if (location.required && location.probe.presence == Presence::Missing)
            requiredMissing.push_back(location.key);
        if (location.required && location.probe.presence == Presence::Unreachable)
            requiredUnreachable.push_back(location.key);
    }
    const int result = requiredMissing.empty() && requiredUnreachable.empty() ? Success : Negative;

    if (output.json) {
        json list = json::array();
        for (const Location& location : locations) {
            if (options.missingOnly && location.probe.presence == Presence::Present)
                continue;
            json entry = {{"key", location.key},
                          {"path", jsonText(location.path)},
                          {"exists", location.probe.presence == Presence::Present}};
            entry.update(probeJson(location.probe));
            entry["required"] = location.required;
            list.push_back(entry);
        }
        std::cout << json{{"home", jsonText(home)},
                          {"homeProbe", probeJson(homeProbe)},
                          {"homeNotes", homeNotes},
                          {"present", counts[Presence::Present]},
                          {"missing", counts[Presence::Missing]},
                          {"unreachable", counts[Presence::Unreachable]},
                          {"requiredMissing", requiredMissing},
                          {"requiredUnreachable", requiredUnreachable},
                          {"locations", list}}
                         .dump(2)
                  << '\n';
        return result;
    }

    const Marks marks(output.colour);
    if (homeProbe.presence != Presence::Present)
        std::cout << marks.warning("WARNING: the home " + home + " is " + presenceName(homeProbe.presence) + " (" +
                                   probeDetail(homeProbe) + ")")
                  << '\n';
    for (const std::string& note : homeNotes)
        std::cout << marks.warning("WARNING: " + note) << '\n';
    if (options.missingOnly) {
        for (const Location& location : locations)
            if (location.probe.presence != Presence::Present)
                std::cout << marks.mark(location) << "  " << location.key << "  " << location.path
                          << Marks::detail(location) << '\n';
    } else {
        // Locations below the home form one tree; the others are listed after it.
        Node root;
        std::vector<const Location*> outside;
        for (const Location& location : locations) {
            if (location.path.empty() || !isBelow(location.path, home)) {
                outside.push_back(&location);
                continue;
            }
            Node* node = &root;
            for (const std::string& part : componentsOf(location.path.substr(home.size())))
                node = &node->children[part];
            node->locations.push_back(&location);
        }
        std::cout << home << marks.marks(root.locations) << '\n';
        printTree(root, "", marks);
        if (!outside.empty()) {
            std::cout << "\nOutside the home:\n";
            for (const Location* location : outside)
                std::cout << "  " << (location->path.empty() ? "(no path)" : location->path) << "  "
                          << marks.mark(*location) << "  " << location->key << Marks::detail(*location) << '\n';
        }
        std::cout << '\n';
    }
    std::cout << locations.size() << " locations: " << counts[Presence::Present] << " present, "
              << counts[Presence::Missing] << " missing";
    std::cout << ", " << counts[Presence::Unreachable] << " unreachable";
    const auto list = [](const char* what, const std::vector<std::string>& keys) {
        if (keys.empty())
            return;
        std::cout << "; required but " << what << ':';
        for (const std::string& key : keys)
            std::cout << ' ' << key;
    };
    list("missing", requiredMissing);
    list("unreachable", requiredUnreachable);
    std::cout << '\n';
    return result;
}

} // namespace qzpaths
