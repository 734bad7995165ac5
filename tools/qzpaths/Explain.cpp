// Explain.cpp - qzpaths explain: how the home was found, and which setting decided
// each entry that a setting can change, from what the record itself noted.
#include "Report.h"

#include <nlohmann/json.hpp>

#include <iostream>

using json = nlohmann::ordered_json;

namespace qzpaths {

namespace {

const char* homeOriginName(QZApplicationInfo::HomeOrigin origin)
{
    switch (origin) {
    case QZApplicationInfo::HomeFromEnvironment:
        return "environment";
    case QZApplicationInfo::HomeFromRegistry:
        return "registry";
    case QZApplicationInfo::HomeFromWalk:
        return "walk";
    default:
        return "none";
    }
}

const char* pathOriginName(QZApplicationInfo::PathOrigin origin)
{
    switch (origin) {
    case QZApplicationInfo::PathDefault:
        return "default";
    case QZApplicationInfo::PathFromEnvironment:
        return "environment";
    case QZApplicationInfo::PathFromRegistry:
        return "registry";
    case QZApplicationInfo::PathFromApplicationName:
        return "application name";
    default:
        return "none";
    }
}

struct Decided {
    std::string key;
    std::string value;
    std::string setting;
    QZApplicationInfo::PathOrigin origin;
};

std::vector<Decided> decidedEntries(Record& record)
{
    std::vector<Decided> decided;
    for (const auto& [key, value] : publishedEntries(record)) {
        const char* setting = nullptr;
        const auto origin = record.GetPathOrigin(key.c_str(), &setting);
        if (origin != QZApplicationInfo::PathNotDecided)
            decided.push_back({key, value, setting ? setting : "", origin});
    }
    return decided;
}

std::string describe(const Decided& entry, Record& record)
{
    switch (entry.origin) {
    case QZApplicationInfo::PathFromEnvironment:
        return entry.setting + " from the environment";
    case QZApplicationInfo::PathFromRegistry:
        return entry.setting + " from the registry";
    case QZApplicationInfo::PathFromApplicationName:
        return std::string("chosen by the application name \"") + record.GetApplicationName() + "\"";
    default:
        return "default (" + entry.setting + " not used)";
    }
}

} // namespace

int printExplain(Record& record, const Output& output)
{
    const auto origin = record.GetHomeOrigin();
    char corvanHome[1024];
    const auto corvanHomeOrigin = record.GetSysVarOrigin("CORVAN_HOME", corvanHome, sizeof corvanHome);
    const std::vector<Decided> decided = decidedEntries(record);
    const int levels = record.GetWalkLevelCount();

    if (output.json) {
        json walk = json::array();
        for (int i = 0; i < levels; ++i)
            walk.push_back({{"directory", record.GetWalkLevel(i)},
                            {"qzcommon", origin == QZApplicationInfo::HomeFromWalk && i == levels - 1}});
        json entries = json::array();
        for (const Decided& entry : decided)
            entries.push_back({{"key", entry.key},
                               {"value", entry.value},
                               {"setting", entry.setting},
                               {"origin", pathOriginName(entry.origin)}});
        std::cout << json{{"home", record.GetCorvanHome()},
                          {"sandbox", record.sandbox()},
                          {"origin", homeOriginName(origin)},
                          {"CORVAN_HOME",
                           corvanHomeOrigin == QZApplicationInfo::SysVarNowhere ? json(nullptr) : json(corvanHome)},
                          {"walk", walk},
                          {"entries", entries}}
                         .dump(2)
                  << '\n';
        return Success;
    }

    std::cout << "Home: " << record.GetCorvanHome() << (record.sandbox() ? "  (sandbox)" : "  (installation)")
              << '\n';
    if (origin == QZApplicationInfo::HomeFromWalk) {
        std::cout << "  1. CORVAN_HOME is set neither in the environment nor in the registry\n"
                  << "  2. walk up from the executable's directory, looking for a qzcommon directory:\n";
        for (int i = 0; i < levels; ++i)
            std::cout << "       " << record.GetWalkLevel(i)
                      << (i == levels - 1 ? "  qzcommon found: this is the home" : "  no qzcommon") << '\n';
    } else {
        std::cout << "  1. CORVAN_HOME from the " << homeOriginName(origin) << ": " << corvanHome << '\n'
                  << "  2. " << record.GetCorvanHome() << "/qzcommon "
                  << (record.sandbox() ? "is a directory: a sandbox tree" : "is no directory: an installation")
                  << '\n';
    }
    std::cout << "\nEntries that a setting decides:\n";
    std::size_t width = 0;
    for (const Decided& entry : decided)
        width = std::max(width, entry.key.size());
    for (const Decided& entry : decided)
        std::cout << "  " << entry.key << std::string(width - entry.key.size(), ' ') << "  " << entry.value
                  << "\n  " << std::string(width, ' ') << "  <- " << describe(entry, record) << '\n';
    return Success;
}

} // namespace qzpaths
