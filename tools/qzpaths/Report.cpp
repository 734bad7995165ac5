// Report.cpp - the text and JSON that qzpaths prints; everything it shows comes from the
// library's public interface.
#include "Report.h"

#include <QZ_PathManager.h>

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <set>
#include <sstream>

using json = nlohmann::ordered_json;

namespace qzpaths {

namespace {

std::string textOf(const char* text) { return text ? text : ""; }

json nullable(const char* text) { return text ? json(text) : json(nullptr); }

void printJson(const json& value) { std::cout << value.dump(2) << '\n'; }

} // namespace

std::vector<std::pair<std::string, std::string>> publishedEntries(Record& record)
{
    std::unique_ptr<char[]> dump(record.DumpPaths());
    std::istringstream lines(dump.get());
    std::vector<std::pair<std::string, std::string>> entries;
    std::string line;
    std::getline(lines, line); // "<n> keys"
    std::getline(lines, line); // rule
    while (std::getline(lines, line)) {
        // Keys never hold " : ", values may.
        const auto colon = line.find(" : ");
        if (colon == std::string::npos)
            continue; // the closing rule
        entries.emplace_back(line.substr(0, colon), line.substr(colon + 3));
    }
    return entries;
}

std::string homeOriginText(QZApplicationInfo::HomeOrigin origin)
{
    switch (origin) {
    case QZApplicationInfo::HomeFromEnvironment:
        return "CORVAN_HOME in the environment";
    case QZApplicationInfo::HomeFromRegistry:
        return "CORVAN_HOME in the registry";
    case QZApplicationInfo::HomeFromWalk:
        return "a qzcommon directory at or above the executable";
    default:
        return "not found";
    }
}

std::string initializeFailure(Record& record, const std::string& executable)
{
    if (!record.GetApplicationName())
        return "the application name is empty";
    if (!record.GetCurrentWorkingDir())
        return "the current directory cannot be read";
    if (executable.empty())
        return "the executable name is empty";
    if (!record.GetSystemBaseRegistryPath())
        return "executable not found: " + executable;
    if (!record.GetCorvanHome() || !*record.GetCorvanHome()) {
        return "no installation home found: CORVAN_HOME is unset or empty and no qzcommon directory lies at or above " +
               (record.GetExecutableDir() ? std::string(record.GetExecutableDir()) : "the executable");
    }
    return "the internal path table is incomplete";
}

int printSummary(Record& record, const Output& output)
{
    const auto entries = publishedEntries(record);
    if (output.json) {
        json paths = json::object();
        for (const auto& [key, value] : entries)
            paths[key] = value;
        printJson({
            {"application", textOf(record.GetApplicationName())},
            {"title", textOf(record.GetApplicationTitle())},
            {"titleNoPatch", textOf(record.GetApplicationTitleNoPatch())},
            {"home", textOf(record.GetCorvanHome())},
            {"homeFoundBy", homeOriginText(record.GetHomeOrigin())},
            {"sandbox", record.sandbox()},
            {"executable", textOf(record.GetExecutablePath())},
            {"executableDir", nullable(record.GetExecutableDir())},
            {"currentDir", textOf(record.GetCurrentWorkingDir())},
            {"registryBase", textOf(record.GetSystemBaseRegistryPath())},
            {"productArchitecture", textOf(record.GetProductArchitecture())},
            {"architecture", nullable(record.GetArchitecture())},
            {"published", paths},
        });
        return Success;
    }
    std::cout << "Title:               " << textOf(record.GetApplicationTitle()) << '\n'
              << "Title without patch: " << textOf(record.GetApplicationTitleNoPatch()) << '\n'
              << "Home:                " << textOf(record.GetCorvanHome()) << '\n'
              << "Home found by:       " << homeOriginText(record.GetHomeOrigin()) << '\n'
              << "Kind:                " << (record.sandbox() ? "sandbox (developer tree)" : "installation") << '\n'
              << "Executable:          " << textOf(record.GetExecutablePath()) << '\n'
              << "Executable dir:      " << textOf(record.GetExecutableDir()) << '\n'
              << "Registry base:       HKEY_LOCAL_MACHINE\\" << textOf(record.GetSystemBaseRegistryPath()) << '\n'
              << "Architecture:        " << textOf(record.GetProductArchitecture());
    if (record.GetArchitecture())
        std::cout << " (CORVAN_ARCH " << record.GetArchitecture() << ")";
    std::cout << "\n\nPublished paths (" << entries.size() << "):\n";
    std::size_t width = 0;
    for (const auto& entry : entries)
        width = std::max(width, entry.first.size());
    for (const auto& [key, value] : entries)
        std::cout << "  " << key << std::string(width - key.size(), ' ') << "  " << value << '\n';
    return Success;
}

int printGet(Record& record, const std::vector<std::string>& keys, const Output& output)
{
    // Nothing is printed unless every key is known, so that a script never reads the
    // value of one key in place of another's.
    for (const std::string& key : keys) {
        if (!record.GetSpecifiedPath(key.c_str())) {
            std::cerr << "qzpaths: unknown key: " << key << '\n';
            return Negative;
        }
    }
    if (output.json) {
        json values = json::object();
        for (const std::string& key : keys)
            values[key] = record.GetSpecifiedPath(key.c_str());
        printJson(values);
        return Success;
    }
    for (const std::string& key : keys)
        std::cout << record.GetSpecifiedPath(key.c_str()) << '\n';
    return Success;
}

int printDump(Record& record)
{
    std::unique_ptr<char[]> dump(record.DumpPaths());
    std::cout << dump.get();
    return Success;
}

int printSysVar(Record& record, const std::vector<std::string>& names, const Output& output)
{
    static const char* const origins[] = {"nowhere", "environment", "registry"};
    json values = json::array();
    bool allFound = true;
    for (const std::string& name : names) {
        char value[1024];
        const auto origin = record.GetSysVarOrigin(name.c_str(), value, sizeof value);
        allFound = allFound && origin != QZApplicationInfo::SysVarNowhere;
        if (output.json)
            values.push_back({{"name", name}, {"value", value}, {"origin", origins[origin]}});
        else if (origin == QZApplicationInfo::SysVarNowhere)
            std::cout << name << " is set nowhere\n";
        else
            std::cout << name << '=' << value << "  (" << origins[origin] << ")\n";
    }
    if (output.json)
        printJson(values);
    return allFound ? Success : Negative;
}

namespace {

// Remembers every directory that ReadFromAll hands to the reader.
class PlaceRecorder : public QZ_PathManager {
public:
    PlaceRecorder(QZApplicationInfo* info, int keepDuplicates) : QZ_PathManager(info, keepDuplicates) {}
    int ReadFile(char* directory, char*) override
    {
        places.emplace_back(directory ? directory : "");
        return 0;
    }
    std::vector<std::string> places;
};

struct Step {
    std::string place;
    std::string directory;
    bool found;
};

// The search steps of GetFilePath, each with the directory it tries.
std::vector<Step> searchSteps(QZ_PathManager& manager, const std::string& file)
{
    std::vector<Step> steps;
    std::string name = file;
    auto add = [&](std::string place, char* directory) {
        const std::string text = directory ? directory : "";
        const bool found = !text.empty() && manager.FindFilePath(directory, name.data());
        steps.push_back({std::move(place), text, found});
    };
    add("current directory", manager.GetCWD());
    add("home", manager.GetUserHome());
    const int count = manager.GetNumQZConfigPathArray();
    for (int i = 0; i < count; ++i)
        add("configuration directory " + std::to_string(i + 1), manager.GetQZConfigPathItem(i));
    add("production installation directory", manager.GetProductionInstallationDir());
    return steps;
}

std::vector<std::string> placeNames(QZ_PathManager& manager)
{
    std::vector<std::string> names{"production installation directory"};
    const int count = manager.GetNumQZConfigPathArray();
    for (int i = 0; i < count; ++i)
        names.push_back("configuration directory " + std::to_string(i + 1));
    names.emplace_back("home");
    names.emplace_back("current directory");
    return names;
}

} // namespace

int printConfig(Record& record, const std::string& file, const Output& output)
{
    PlaceRecorder blanked(&record, 0);
    PlaceRecorder kept(&record, 1);
    std::string name = file;
    char directory[1024] = "";
    const bool found = blanked.GetFilePath(name.data(), directory, 4);
    const std::vector<Step> steps = searchSteps(blanked, file);
    blanked.ReadFromAll(nullptr, nullptr);
    kept.ReadFromAll(nullptr, nullptr);
    const std::vector<std::string> names = placeNames(blanked);

    if (output.json) {
        json search = json::array();
        for (const Step& step : steps)
            search.push_back({{"place", step.place}, {"directory", step.directory}, {"found", step.found}});
        json places = json::array();
        for (std::size_t i = 0; i < kept.places.size() && i < blanked.places.size(); ++i)
            places.push_back({{"place", i < names.size() ? names[i] : ""},
                              {"directory", kept.places[i]},
                              {"blanked", blanked.places[i].empty() && !kept.places[i].empty()}});
        printJson({{"file", file},
                   {"found", found},
                   {"directory", found ? json(directory) : json(nullptr)},
                   {"search", search},
                   {"read", places}});
        return found ? Success : Negative;
    }

    std::cout << "Searching for " << file << ":\n";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        std::cout << "  " << i + 1 << ". " << step.place << ": "
                  << (step.directory.empty() ? "(none)" : step.directory)
                  << (step.directory.empty() ? "" : step.found ? "  found" : "  not there") << '\n';
    }
    if (found)
        std::cout << "Found in " << directory << "\n";
    else
        std::cout << "Not found\n";
    std::cout << "\nPlaces read, in order:\n";
    for (std::size_t i = 0; i < kept.places.size() && i < blanked.places.size(); ++i) {
        std::cout << "  " << (i < names.size() ? names[i] : "") << ": "
                  << (kept.places[i].empty() ? "(none)" : kept.places[i]);
        if (blanked.places[i].empty() && !kept.places[i].empty())
            std::cout << "  (skipped: the same directory is read later)";
        std::cout << '\n';
    }
    return found ? Success : Negative;
}

} // namespace qzpaths
