// Explain.cpp - qzpaths explain: every step that Initialize took, what it found and why it
// failed; all from the start-up report.
#include "Names.h"
#include "Printing.h"

#include <iostream>
#include <sstream>

namespace qzpaths {

namespace {

using Report = QZStartupReport;
using Step = Report::Step;

// The names tested, one a line; without verbose, a name and its forms with extensions that
// are all not there share one line: "/usr/bin/ryndel{,.bat,.com,.exe}: not there".
std::string candidateLines(const std::vector<Report::Candidate>& candidates, bool verbose)
{
    std::string lines;
    for (std::size_t i = 0; i < candidates.size();) {
        const std::string& name = candidates[i].path;
        std::size_t end = i + 1;
        std::string forms = "{";
        while (!verbose && !candidates[i].exists && end < candidates.size() && !candidates[end].exists &&
               candidates[end].path.size() > name.size() && candidates[end].path.compare(0, name.size(), name) == 0 &&
               candidates[end].path[name.size()] == '.') {
            forms += "," + candidates[end].path.substr(name.size());
            ++end;
        }
        if (end - i > 1) {
            lines += "\n       " + name + forms + "}: not there";
            i = end;
            continue;
        }
        lines += "\n       " + name + (candidates[i].exists ? "  found" : "  not there");
        ++i;
    }
    return lines;
}

// The lookup of one of Initialize's steps.
const Report::Lookup* lookupOf(const Report& report, const char* name)
{
    for (const auto& lookup : report.lookups)
        if (lookup.name == name)
            return &lookup;
    return nullptr;
}

} // namespace

namespace {

// One step of Initialize: a line of text (with indented detail lines) and its JSON.
struct Explained {
    std::string text;
    json detail = json::object();
};

Explained explainLookup(const Report& report, const char* name)
{
    Explained explained;
    const Report::Lookup* lookup = lookupOf(report, name);
    if (!lookup)
        return {std::string("system variable ") + name + ": not looked up"};
    std::ostringstream text;
    text << "system variable " << name << ": ";
    if (lookup->source == Report::Lookup::Source::Nowhere)
        text << "not found\n";
    else
        text << lookup->value << "  (from the " << sourceName(lookup->source) << ")\n";
    printLookupDetails(text, *lookup, "       ");
    explained.text = text.str();
    explained.text.pop_back();
    explained.detail["lookup"] = lookupJson(*lookup);
    return explained;
}

Explained explainStep(Step step, bool failed, QZApplicationInfo& record, const Report& report, const std::string& executable,
                      bool verbose)
{
    Explained explained;
    std::ostringstream text;
    switch (step) {
    case Step::AlreadyInitialized:
        text << "the record was initialized before: Initialize does nothing a second time";
        break;
    case Step::ApplicationName:
        if (failed)
            text << "application name: empty; pass one with --name";
        else
            text << "application name: " << record.GetApplicationName();
        explained.detail["value"] = jsonText(record.GetApplicationName());
        break;
    case Step::CurrentDirectory:
        text << "current directory: "
             << (report.currentDirectory ? *report.currentDirectory : std::string("cannot be read"));
        explained.detail["value"] = report.currentDirectory ? jsonText(*report.currentDirectory) : json(nullptr);
        break;
    case Step::ExecutableName:
        text << "executable name: " << (failed ? std::string("empty; pass one with --exe") : executable);
        explained.detail["value"] = jsonText(executable);
        break;
    case Step::ExecutableSearch: {
        const bool absolute = !report.executableCandidates.empty() &&
                              report.executableCandidates.front().where == Report::Candidate::Where::AbsoluteName;
        text << "executable search for " << executable << ": ";
        if (absolute)
            text << "an absolute name, tested as given and with .bat, .com, .exe";
        else if (report.searchedCurrentDirectory && report.searchedPath)
            text << "in the current directory, then along PATH";
        else if (report.searchedCurrentDirectory)
            text << "in the current directory only (the name has a directory part)";
        else
            text << "along PATH only";
        if (report.searchedPath && !report.searchPath)
            text << "\n       PATH is unset";
        for (const std::string& skipped : report.skippedSearchPathEntries)
            text << "\n       PATH entry " << skipped << "  skipped: it begins with '.'";
        json candidates = json::array();
        for (const auto& candidate : report.executableCandidates)
            candidates.push_back({{"where", whereName(candidate.where)},
                                  {"path", jsonText(candidate.path)},
                                  {"exists", candidate.exists}});
        text << candidateLines(report.executableCandidates, verbose);
        if (failed)
            text << "\n       not found: nothing of that name exists in any of these places";
        explained.detail = {{"name", jsonText(executable)},
                            {"absolute", absolute},
                            {"currentDirectory", report.searchedCurrentDirectory},
                            {"alongPath", report.searchedPath},
                            {"PATH", report.searchPath ? jsonText(*report.searchPath) : json(nullptr)},
                            {"skipped", json::array()},
                            {"candidates", candidates},
                            {"found", failed ? json(nullptr) : jsonText(record.GetExecutablePath())}};
        for (const std::string& skipped : report.skippedSearchPathEntries)
            explained.detail["skipped"].push_back(jsonText(skipped));
        break;
    }
    case Step::ExecutableDirectory: {
        const char* status = report.executableStatus == Report::ExecutableStatus::Directory ? "directory"
                             : report.executableStatus == Report::ExecutableStatus::File    ? "file"
                                                                                            : "missing";
        if (!record.GetExecutableDir())
            text << "executable directory: unknown, the status query of " << record.GetExecutablePath()
                 << " failed (no walk can start from it)";
        else
            text << "executable directory: " << record.GetExecutableDir()
                 << (report.executableStatus == Report::ExecutableStatus::Directory ? "  (the executable path names a directory)"
                                                                                    : "");
        explained.detail = {{"status", status}, {"value", jsonText(record.GetExecutableDir())}};
        break;
    }
    case Step::RegistryBase: {
        const std::string base = "HKEY_LOCAL_MACHINE\\" + std::string(record.GetSystemBaseRegistryPath()
                                                                          ? record.GetSystemBaseRegistryPath()
                                                                          : "");
        text << "registry base: " << base << "  (titles and notices built too)";
        explained.detail["value"] = jsonText(base);
        break;
    }
    case Step::Display:
        return explainLookup(report, "DISPLAY");
    case Step::Architecture:
        return explainLookup(report, "CORVAN_ARCH");
    case Step::CorvanHome:
        return explainLookup(report, "CORVAN_HOME");
    case Step::SandboxProbe: {
        const std::string probe = report.sandboxProbe.value_or("");
        const char* result = report.sandboxProbeResult == Report::ProbeResult::Directory       ? "directory"
                             : report.sandboxProbeResult == Report::ProbeResult::NotADirectory ? "notADirectory"
                                                                                                : "missing";
        text << "sandbox probe: " << probe
             << (report.sandboxProbeResult == Report::ProbeResult::Directory ? " is a directory: a sandbox tree"
                 : report.sandboxProbeResult == Report::ProbeResult::NotADirectory
                     ? " is not a directory: an installation"
                     : " does not exist: an installation");
        explained.detail = {{"path", jsonText(probe)}, {"result", result}};
        break;
    }
    case Step::Walk: {
        text << "walk up from the executable directory, looking for a qzcommon directory:";
        json levels = json::array();
        for (const auto& level : report.walk) {
            text << "\n       " << level.directory
                 << (level.hasMarker ? "  qzcommon found: this is the home" : "  no qzcommon");
            levels.push_back({{"directory", jsonText(level.directory)}, {"qzcommon", level.hasMarker}});
        }
        switch (report.walkEnd) {
        case Report::WalkEnd::CannotEnter:
            text << "\n       cannot change into " << record.GetExecutableDir();
            break;
        case Report::WalkEnd::RootReached:
            text << "\n       the root was reached: no qzcommon directory at or above the executable";
            break;
        case Report::WalkEnd::DirectoryUnreadable:
            text << "\n       the current directory could not be read after going up";
            break;
        default:
            break;
        }
        explained.detail = {{"levels", levels}, {"end", walkEndName(report.walkEnd)}};
        break;
    }
    case Step::Home:
        if (!failed) {
            text << "home: " << record.GetCorvanHome() << "  (" << homeSourceText(report.homeSource)
                 << (report.homeSeparatorRemoved ? ", one trailing separator removed" : "") << ")";
        } else if (report.failure == Report::Failure::EmptyHome) {
            text << "home: CORVAN_HOME is a single separator, which leaves no home; set it to the "
                    "installation's directory";
        } else {
            const char* base = record.GetSystemBaseRegistryPath() ? record.GetSystemBaseRegistryPath() : "";
            text << "home: none. CORVAN_HOME is unset or empty in the environment and the registry, and "
                 << (record.GetExecutableDir() ? "no qzcommon directory lies at or above the executable"
                                               : "there is no executable directory to walk up from")
                 << ".\n       Set CORVAN_HOME in the environment, or as the value CORVAN_HOME of the key "
                    "HKEY_LOCAL_MACHINE\\"
                 << base << ", to the installation's directory";
        }
        explained.detail = {{"value", jsonText(record.GetCorvanHome())},
                            {"source", homeSourceName(report.homeSource)},
                            {"separatorRemoved", report.homeSeparatorRemoved}};
        break;
    case Step::InternalPaths:
        text << "internal paths: " << (failed ? "incomplete" : "built");
        break;
    case Step::PublishedPaths: {
        const std::size_t count = report.published.size();
        Explained help = explainLookup(report, "QZ_MSG_HELP");
        text << "published paths: " << count << " entries\n     " << help.text.substr(0, help.text.size());
        explained.detail = help.detail;
        explained.detail["count"] = count;
        break;
    }
    }
    explained.text = text.str();
    return explained;
}

struct Decided {
    std::string key;
    std::string value;
    const Report::Decision* decision;
};

std::vector<Decided> decidedEntries(const Report& report)
{
    std::vector<Decided> decided;
    for (const auto& [key, value] : report.published)
        for (const auto& decision : report.decisions)
            if (decision.key == key) {
                decided.push_back({key, value, &decision});
                break;
            }
    return decided;
}

std::string describe(const Report::Decision& decision, QZApplicationInfo& record)
{
    switch (decision.origin) {
    case Report::Decision::Origin::Environment:
        return decision.setting + " from the environment";
    case Report::Decision::Origin::Registry:
        return decision.setting + " from the registry";
    case Report::Decision::Origin::ApplicationName:
        return std::string("chosen by the application name \"") + record.GetApplicationName() + "\"";
    default:
        return "default (" + decision.setting + " not used)";
    }
}

} // namespace

int printExplain(QZApplicationInfo& record, const Report& report, const std::string& executable, const Output& output)
{
    const bool initialized = report.result == 1;
    std::vector<Explained> steps;
    for (std::size_t i = 0; i < report.steps.size(); ++i)
        steps.push_back(
            explainStep(report.steps[i], !initialized && i + 1 == report.steps.size(), record, report, executable,
                        output.verbose));
    const std::vector<Decided> decided = decidedEntries(report);
    const std::string failure = initialized ? std::string() : report.Reason();
    const Report::Lookup* corvanHome = lookupOf(report, "CORVAN_HOME");

    if (output.json) {
        json stepList = json::array();
        for (std::size_t i = 0; i < steps.size(); ++i) {
            json step = {{"step", stepName(report.steps[i])},
                         {"ok", initialized || i + 1 < steps.size()}};
            for (auto& [key, value] : steps[i].detail.items())
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
        for (const Decided& entry : decided)
            entries.push_back({{"key", entry.key},
                               {"value", jsonText(entry.value)},
                               {"setting", entry.decision->setting},
                               {"origin", decisionName(entry.decision->origin)}});
        printJson({{"initialized", initialized},
                   {"failure", initialized ? json(nullptr)
                                           : json{{"step", stepName(report.steps.back())},
                                                  {"reason", jsonText(failure)}}},
                   {"home", jsonText(record.GetCorvanHome())},
                   {"sandbox", report.sandbox},
                   {"origin", homeSourceName(report.homeSource)},
                   {"CORVAN_HOME", corvanHome && corvanHome->source != Report::Lookup::Source::Nowhere
                                       ? jsonText(corvanHome->value)
                                       : json(nullptr)},
                   {"steps", stepList},
                   {"walk", walk},
                   {"lookups", lookups},
                   {"entries", entries}});
        return initialized ? Success : Negative;
    }

    std::cout << "Initialize, step by step:\n";
    for (std::size_t i = 0; i < steps.size(); ++i)
        std::cout << (i + 1 < 10 ? "   " : "  ") << i + 1 << ". " << steps[i].text << '\n';
    if (!initialized) {
        std::cout << "\nInitialize failed at step " << steps.size() << ": " << failure << '\n';
        return Negative;
    }
    std::cout << "\nHome: " << record.GetCorvanHome() << (report.sandbox ? "  (sandbox)" : "  (installation)")
              << ", found by " << homeSourceText(report.homeSource) << '\n';
    std::cout << "\nEntries that a setting decides:\n";
    std::size_t width = 0;
    for (const Decided& entry : decided)
        width = std::max(width, entry.key.size());
    for (const Decided& entry : decided)
        std::cout << "  " << entry.key << std::string(width - entry.key.size(), ' ') << "  " << entry.value
                  << "\n  " << std::string(width, ' ') << "  <- " << describe(*entry.decision, record) << '\n';
    return Success;
}

} // namespace qzpaths
