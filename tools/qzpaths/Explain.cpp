// Explain.cpp - qzpaths explain: every step that Initialize took, what it found and why it
// failed, from the start-up report: the library's text, or the JSON of each step here.
#include "Printing.h"

#include <QZReportWords.h>

#include <iostream>

namespace qzpaths {

namespace {

using Report = QZStartupReport;
using Step = Report::Step;

json textOrNull(const std::optional<std::string>& text) { return text ? jsonText(*text) : json(nullptr); }

const Report::Lookup* lookupOf(const Report& report, const char* name)
{
    for (const auto& lookup : report.lookups)
        if (lookup.name == name)
            return &lookup;
    return nullptr;
}

json lookupDetail(const Report& report, const char* name)
{
    const Report::Lookup* lookup = lookupOf(report, name);
    return lookup ? json{{"lookup", lookupJson(*lookup)}} : json::object();
}

// What one step found, as the fields of its JSON object.
json stepDetail(Step step, bool failed, const Report& report)
{
    const Report::Kept& kept = report.kept;
    switch (step) {
    case Step::ApplicationName:
        return {{"value", textOrNull(kept.applicationName)}};
    case Step::CurrentDirectory:
        return {{"value", textOrNull(report.currentDirectory)}};
    case Step::ExecutableName:
        return {{"value", jsonText(report.executableName)}};
    case Step::ExecutableSearch: {
        json candidates = json::array();
        for (const auto& candidate : report.executableCandidates)
            candidates.push_back({{"where", whereName(candidate.where)},
                                  {"path", jsonText(candidate.path)},
                                  {"exists", candidate.exists}});
        json skipped = json::array();
        for (const std::string& entry : report.skippedSearchPathEntries)
            skipped.push_back(jsonText(entry));
        const bool absolute = !report.executableCandidates.empty() &&
                              report.executableCandidates.front().where == Report::Candidate::Where::AbsoluteName;
        return {{"name", jsonText(report.executableName)},
                {"absolute", absolute},
                {"currentDirectory", report.searchedCurrentDirectory},
                {"alongPath", report.searchedPath},
                {"PATH", textOrNull(report.searchPath)},
                {"skipped", skipped},
                {"candidates", candidates},
                {"found", failed ? json(nullptr) : textOrNull(kept.executablePath)}};
    }
    case Step::ExecutableDirectory: {
        const char* status = report.executableStatus == Report::ExecutableStatus::Directory ? "directory"
                             : report.executableStatus == Report::ExecutableStatus::File    ? "file"
                                                                                            : "missing";
        return {{"status", status}, {"value", textOrNull(kept.executableDirectory)}};
    }
    case Step::RegistryBase:
        return {{"value", jsonText("HKEY_LOCAL_MACHINE\\" + kept.registryBase.value_or(""))}};
    case Step::Display:
        return lookupDetail(report, "DISPLAY");
    case Step::Architecture:
        return lookupDetail(report, "CORVAN_ARCH");
    case Step::CorvanHome:
        return lookupDetail(report, "CORVAN_HOME");
    case Step::SandboxProbe: {
        const char* result = report.sandboxProbeResult == Report::ProbeResult::Directory       ? "directory"
                             : report.sandboxProbeResult == Report::ProbeResult::NotADirectory ? "notADirectory"
                                                                                                : "missing";
        return {{"path", jsonText(report.sandboxProbe.value_or(""))}, {"result", result}};
    }
    case Step::Walk: {
        json levels = json::array();
        for (const auto& level : report.walk)
            levels.push_back({{"directory", jsonText(level.directory)}, {"qzcommon", level.hasMarker}});
        return {{"levels", levels}, {"end", walkEndName(report.walkEnd)}};
    }
    case Step::Home:
        return {{"value", textOrNull(kept.home)},
                {"source", homeSourceName(report.homeSource)},
                {"separatorRemoved", report.homeSeparatorRemoved}};
    case Step::PublishedPaths: {
        json detail = lookupDetail(report, "QZ_MSG_HELP");
        detail["count"] = report.published.size();
        return detail;
    }
    default:
        return json::object();
    }
}

} // namespace

json explainJson(const Report& report)
{
    const bool initialized = report.result == 1;
    json stepList = json::array();
    for (std::size_t i = 0; i < report.steps.size(); ++i) {
        const bool failed = !initialized && i + 1 == report.steps.size();
        json step = {{"step", stepName(report.steps[i])}, {"ok", !failed}};
        const json detail = stepDetail(report.steps[i], failed, report);
        for (const auto& [key, value] : detail.items())
            step[key] = value;
        stepList.push_back(std::move(step));
    }
    json walk = json::array();
    for (const auto& level : report.walk)
        walk.push_back({{"directory", jsonText(level.directory)}, {"qzcommon", level.hasMarker}});
    json lookups = json::array();
    for (const auto& lookup : report.lookups)
        lookups.push_back(lookupJson(lookup));
    json entries = json::array();
    for (const auto& [key, value] : report.published)
        for (const auto& decision : report.decisions)
            if (decision.key == key) {
                entries.push_back({{"key", key},
                                   {"value", jsonText(value)},
                                   {"setting", decision.setting},
                                   {"origin", decisionName(decision.origin)}});
                break;
            }
    const Report::Lookup* corvanHome = lookupOf(report, "CORVAN_HOME");
    return {{"initialized", initialized},
            {"failure", initialized || report.steps.empty()
                            ? json(nullptr)
                            : json{{"step", stepName(report.steps.back())}, {"reason", jsonText(report.Reason())}}},
            {"home", textOrNull(report.kept.home)},
            {"sandbox", report.sandbox},
            {"origin", homeSourceName(report.homeSource)},
            {"CORVAN_HOME", corvanHome && corvanHome->source != Report::Lookup::Source::Nowhere
                                ? jsonText(corvanHome->value)
                                : json(nullptr)},
            {"steps", stepList},
            {"walk", walk},
            {"lookups", lookups},
            {"entries", entries}};
}

int printExplain(const Report& report, const Output& output)
{
    if (output.json)
        printJson(explainJson(report));
    else
        std::cout << qz::words::explanation(report, output.verbose);
    return report.result == 1 ? Success : Negative;
}

} // namespace qzpaths
