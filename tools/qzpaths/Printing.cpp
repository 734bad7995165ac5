// Printing.cpp - the summary, dump, sysvar and config as qzpaths prints them, and the JSON
// helpers they share; everything shown comes from the library's public interface.
#include "Printing.h"

#include <QZPathReport.h>
#include <QZ_PathManager.h>

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace qzpaths {

namespace {

std::string textOf(const char* text) { return text ? text : ""; }

// A text field as the summary prints it: an unset field says so, as JSON's null does.
std::string shown(const char* text) { return text ? text : "(unset)"; }

} // namespace

void printJson(const json& value)
{
    // Every text goes through jsonText; the replacing handler is the safety net for keys.
    std::cout << value.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

int printSummary(QZApplicationInfo& record, const QZStartupReport& report, const Output& output)
{
    const auto& entries = report.published;
    const std::string registryBase = "HKEY_LOCAL_MACHINE\\" + textOf(record.GetSystemBaseRegistryPath());
    if (output.json) {
        json paths = json::object();
        for (const auto& [key, value] : entries)
            paths[key] = jsonText(value);
        printJson({
            {"application", jsonText(record.GetApplicationName())},
            {"title", jsonText(record.GetApplicationTitle())},
            {"titleNoPatch", jsonText(record.GetApplicationTitleNoPatch())},
            {"home", jsonText(record.GetCorvanHome())},
            {"homeFoundBy", homeSourceText(report.homeSource)},
            {"sandbox", report.sandbox},
            {"executable", jsonText(record.GetExecutablePath())},
            {"executableDir", jsonText(record.GetExecutableDir())},
            {"currentDir", jsonText(record.GetCurrentWorkingDir())},
            {"registryBase", jsonText(registryBase)},
            {"productArchitecture", jsonText(record.GetProductArchitecture())},
            {"architecture", jsonText(record.GetArchitecture())},
            {"published", paths},
        });
        return Success;
    }
    std::cout << "Application:         " << shown(record.GetApplicationName()) << '\n'
              << "Title:               " << shown(record.GetApplicationTitle()) << '\n'
              << "Title without patch: " << shown(record.GetApplicationTitleNoPatch()) << '\n'
              << "Home:                " << shown(record.GetCorvanHome()) << '\n'
              << "Home found by:       " << homeSourceText(report.homeSource) << '\n'
              << "Kind:                " << (report.sandbox ? "sandbox (developer tree)" : "installation") << '\n'
              << "Executable:          " << shown(record.GetExecutablePath()) << '\n'
              << "Executable dir:      " << shown(record.GetExecutableDir()) << '\n'
              << "Current dir:         " << shown(record.GetCurrentWorkingDir()) << '\n'
              << "Registry base:       " << registryBase << '\n'
              << "Product arch:        " << shown(record.GetProductArchitecture()) << '\n'
              << "Architecture:        " << shown(record.GetArchitecture()) << "  (CORVAN_ARCH)\n";
    std::cout << "\nPublished paths (" << entries.size() << "):\n";
    std::size_t width = 0;
    for (const auto& entry : entries)
        width = std::max(width, entry.first.size());
    for (const auto& [key, value] : entries)
        std::cout << "  " << key << std::string(width - key.size(), ' ') << "  " << value << '\n';
    return Success;
}

int printDump(QZApplicationInfo& record)
{
    std::unique_ptr<char[]> dump(record.DumpPaths());
    std::cout << dump.get();
    return Success;
}

int printSysVar(QZApplicationInfo& record, QZStartupReport& report, const std::vector<std::string>& names,
                const Output& output)
{
    // System variables need no home, only the registry base path that Initialize builds
    // before it looks for the home.
    if (!record.GetSystemBaseRegistryPath()) {
        std::cerr << "qzpaths: cannot look up system variables: Initialize failed before it built the registry "
                     "base path: "
                  << report.Reason() << '\n'
                  << "qzpaths: run 'qzpaths explain' with the same options to see each step\n";
        return StartupFailed;
    }
    const std::size_t first = report.lookups.size();
    bool allFound = true;
    for (const std::string& name : names) {
        char value[1024];
        report.LookUpSysVar(record, name.c_str(), value, sizeof value);
        allFound = allFound && *value;
    }
    const std::vector<QZStartupReport::Lookup> lookups(report.lookups.begin() + static_cast<std::ptrdiff_t>(first),
                                                       report.lookups.end());
    if (output.json) {
        json values = json::array();
        for (const auto& lookup : lookups)
            values.push_back(lookupJson(lookup));
        printJson(values);
        return allFound ? Success : Negative;
    }
    using Source = QZStartupReport::Lookup::Source;
    for (const auto& lookup : lookups) {
        if (lookup.source == Source::Environment) {
            std::cout << lookup.name << '=' << lookup.value << "  (environment)\n";
            continue;
        }
        if (lookup.source == Source::Registry)
            std::cout << lookup.name << '=' << lookup.value << "  (registry)\n";
        else
            std::cout << lookup.name << ": not found\n";
        printLookupDetails(std::cout, lookup, "  ");
    }
    return allFound ? Success : Negative;
}

namespace {

// A place of the path manager as the tool names it.
std::string placeName(QZPathReport::Place place, int index)
{
    switch (place) {
    case QZPathReport::Place::ProductionInstallation:
        return "production installation directory";
    case QZPathReport::Place::ConfigurationDirectory:
        return "configuration directory " + std::to_string(index + 1);
    case QZPathReport::Place::UserHome:
        return "home";
    case QZPathReport::Place::CurrentDirectory:
        return "current directory";
    }
    return "";
}

} // namespace

int printConfig(QZApplicationInfo& record, const std::string& file, const Output& output)
{
    // The search and the reads as the library makes them; the places read are shown from a
    // path manager that keeps duplicates beside one that blanks them, in the same order.
    QZ_PathManager blanked(&record, 0);
    QZ_PathManager kept(&record, 1);
    std::string name = file;
    char directory[1024] = "";
    QZPathReport searched;
    const bool found = searched.GetFilePath(blanked, name.data(), directory, 4);
    QZPathReport blankedReads;
    blankedReads.ReadFromAll(blanked, nullptr, nullptr);
    QZPathReport keptReads;
    keptReads.ReadFromAll(kept, nullptr, nullptr);
    const auto& steps = searched.search;
    const auto& places = keptReads.reads;
    const auto& blanks = blankedReads.reads;
    auto isBlanked = [&](std::size_t i) { return blanks[i].directory.empty() && !places[i].directory.empty(); };

    if (output.json) {
        json search = json::array();
        for (const auto& step : steps)
            search.push_back({{"place", placeName(step.place, step.index)},
                              {"directory", jsonText(step.directory)},
                              {"found", step.found}});
        json read = json::array();
        for (std::size_t i = 0; i < places.size() && i < blanks.size(); ++i)
            read.push_back({{"place", placeName(places[i].place, places[i].index)},
                            {"directory", jsonText(places[i].directory)},
                            {"blanked", isBlanked(i)}});
        printJson({{"file", jsonText(file)},
                   {"found", found},
                   {"directory", found ? jsonText(std::string_view(directory)) : json(nullptr)},
                   {"search", search},
                   {"read", read}});
        return found ? Success : Negative;
    }

    std::cout << "Searching for " << file << ":\n";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& step = steps[i];
        std::cout << "  " << i + 1 << ". " << placeName(step.place, step.index) << ": "
                  << (step.directory.empty() ? "(none)" : step.directory)
                  << (step.directory.empty() ? "" : step.found ? "  found" : "  not there") << '\n';
    }
    if (found)
        std::cout << "Found in " << directory << "\n";
    else
        std::cout << "Not found\n";
    std::cout << "\nPlaces read, in order:\n";
    for (std::size_t i = 0; i < places.size() && i < blanks.size(); ++i) {
        std::cout << "  " << placeName(places[i].place, places[i].index) << ": "
                  << (places[i].directory.empty() ? "(none)" : places[i].directory);
        if (isBlanked(i))
            std::cout << "  (skipped: the same directory is read later)";
        std::cout << '\n';
    }
    return found ? Success : Negative;
}

} // namespace qzpaths
