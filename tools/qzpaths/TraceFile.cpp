// TraceFile.cpp - qzpaths explain --from: the start-up records of a trace file read back into
// start-up reports, each shown as explain shows its own; a line that is not one is skipped.
#include "Printing.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace qzpaths {

namespace {

using Report = QZStartupReport;

// A text as the library writes it: a JSON string, or {"bytes": hex, "text": ...} for one
// that is not UTF-8.
std::string text(const json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    const std::string hex = value.at("bytes").get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::optional<std::string> optionalText(const json& value)
{
    return value.is_null() ? std::nullopt : std::optional<std::string>(text(value));
}

// The word whose name the library gave: the enumerators from first to last are tried.
template <typename Word, typename Name>
Word word(const json& value, Name name, Word first, Word last)
{
    const std::string wanted = value.get<std::string>();
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i)
        if (wanted == name(static_cast<Word>(i)))
            return static_cast<Word>(i);
    throw std::runtime_error("unknown word \"" + wanted + "\"");
}

Report::Lookup lookupFrom(const json& object)
{
    using State = Report::RegistryRead::StoreState;
    Report::Lookup lookup;
    lookup.name = text(object.at("name"));
    lookup.size = object.at("size").get<unsigned int>();
    const json& environment = object.at("environment");
    lookup.environment = word(environment.at("state"), environmentStateName, Report::EnvironmentState::Unset,
                              Report::EnvironmentState::Used);
    lookup.environmentBytes = environment.at("bytes").get<std::size_t>();
    lookup.environmentText = optionalText(environment.at("text"));
    if (const json& registry = object.at("registry"); !registry.is_null()) {
        Report::RegistryRead read;
        read.store = text(registry.at("store"));
        read.storeSetting = text(registry.at("storeSetting"));
        read.storeState = word(registry.at("storeState"), storeStateName, State::Read, State::NotAnExportFile);
        read.storeReason = text(registry.at("storeReason"));
        read.keyPath = text(registry.at("key"));
        read.keyFound = registry.at("keyFound").get<bool>();
        read.valueName = text(registry.at("valueName"));
        read.valueFound = registry.at("valueFound").get<bool>();
        read.valueBytes = registry.at("valueBytes").get<std::size_t>();
        read.type = registry.at("type").get<std::uint32_t>();
        read.nearestKey = text(registry.at("nearestKey"));
        for (const json& subkey : registry.at("nearestSubkeys"))
            read.nearestSubkeys.push_back(text(subkey));
        read.inOtherView = registry.at("inOtherView").get<bool>();
        lookup.registry = read;
    }
    lookup.registryReadLimit = object.at("readLimit").get<std::size_t>();
    lookup.registryText = optionalText(object.at("registryText"));
    lookup.source = word(object.at("origin"), sourceName, Report::Lookup::Source::Nowhere,
                         Report::Lookup::Source::Registry);
    lookup.value = text(object.at("value"));
    return lookup;
}

// The report that a start-up record holds; throws when a field is missing or malformed.
Report reportFrom(const json& record)
{
    Report report;
    const json& given = record.at("arguments");
    report.applicationName = optionalText(given.at("applicationName"));
    report.version = given.at("version").get<float>();
    report.supportEMail = optionalText(given.at("supportEMail"));
    report.executableName = text(given.at("executableName"));
    report.patchLevel = given.at("patchLevel").get<int>();
    report.firstYear = given.at("firstYear").get<int>();
    report.lastYear = given.at("lastYear").get<int>();
    report.result = record.at("result").get<int>();
    report.failure = word(record.at("failure"), failureName, Report::Failure::None,
                          Report::Failure::IncompleteInternalTable);
    for (const json& step : record.at("steps"))
        report.steps.push_back(word(step, stepName, Report::Step::AlreadyInitialized, Report::Step::PublishedPaths));
    report.currentDirectory = optionalText(record.at("currentDirectory"));
    report.searchedCurrentDirectory = record.at("searchedCurrentDirectory").get<bool>();
    report.searchedPath = record.at("searchedPath").get<bool>();
    report.searchPath = optionalText(record.at("PATH"));
    for (const json& entry : record.at("skipped"))
        report.skippedSearchPathEntries.push_back(text(entry));
    for (const json& candidate : record.at("candidates"))
        report.executableCandidates.push_back(
            {word(candidate.at("where"), whereName, Report::Candidate::Where::AbsoluteName,
                  Report::Candidate::Where::SearchPath),
             text(candidate.at("path")), candidate.at("exists").get<bool>()});
    report.executableStatus = word(record.at("executableStatus"), executableStatusName,
                                   Report::ExecutableStatus::Unknown, Report::ExecutableStatus::File);
    for (const json& lookup : record.at("lookups"))
        report.lookups.push_back(lookupFrom(lookup));
    report.homeSource =
        word(record.at("homeSource"), homeSourceName, Report::HomeSource::None, Report::HomeSource::Walk);
    report.homeSeparatorRemoved = record.at("homeSeparatorRemoved").get<bool>();
    report.sandboxProbe = optionalText(record.at("sandboxProbe"));
    report.sandboxProbeResult = word(record.at("sandboxProbeResult"), probeResultName, Report::ProbeResult::Missing,
                                     Report::ProbeResult::Directory);
    for (const json& level : record.at("walk"))
        report.walk.push_back({text(level.at("directory")), level.at("qzcommon").get<bool>()});
    report.walkEnd =
        word(record.at("walkEnd"), walkEndName, Report::WalkEnd::NotWalked, Report::WalkEnd::DirectoryUnreadable);
    for (const json& decision : record.at("decisions"))
        report.decisions.push_back({text(decision.at("key")), text(decision.at("setting")),
                                    word(decision.at("origin"), decisionName, Report::Decision::Origin::Default,
                                         Report::Decision::Origin::ApplicationName)});
    report.sandbox = record.at("sandbox").get<bool>();
    for (const json& entry : record.at("published"))
        report.published.emplace_back(text(entry.at("key")), text(entry.at("value")));
    const json& kept = record.at("kept");
    report.kept = {optionalText(kept.at("applicationName")), optionalText(kept.at("executablePath")),
                   optionalText(kept.at("executableDirectory")), optionalText(kept.at("registryBase")),
                   optionalText(kept.at("home"))};
    return report;
}

} // namespace

int printExplainFrom(const std::string& file, std::optional<long> pid, const Output& output)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "qzpaths: cannot read the trace file " << file << '\n';
        return Negative;
    }
    json shown = json::array();
    bool first = true, allStarted = true;
    std::size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const json record = json::parse(line, nullptr, false);
        const std::string where = file + ":" + std::to_string(number) + ": ";
        if (!record.is_object() || !record.contains("schema") || !record.contains("event")) {
            std::cerr << "qzpaths: " << where << "not a trace record, skipped\n";
            continue;
        }
        if (record["schema"] != qz::words::kSchema) {
            std::cerr << "qzpaths: " << where << "a record of schema " << record["schema"].dump()
                      << ", which this qzpaths does not read, skipped\n";
            continue;
        }
        if (record["event"] != "initialize" || (pid && record.value("pid", -1L) != *pid))
            continue;
        Report report;
        try {
            report = reportFrom(record);
        } catch (const std::exception& error) {
            std::cerr << "qzpaths: " << where << "a start-up record that cannot be read (" << error.what()
                      << "), skipped\n";
            continue;
        }
        allStarted = allStarted && report.result == 1;
        const long process = record.value("pid", -1L);
        const std::string time = record.value("time", std::string());
        if (output.json) {
            json entry = {{"pid", process}, {"time", time}};
            const json explained = explainJson(report);
            for (const auto& [key, value] : explained.items())
                entry[key] = value;
            shown.push_back(std::move(entry));
            continue;
        }
        std::cout << (first ? "" : "\n") << "Process " << process << ", " << time << ", "
                  << report.executableName << ":\n"
                  << qz::words::explanation(report, output.verbose);
        first = false;
    }
    if (output.json)
        printJson(shown);
    else if (first)
        std::cout << "No start-up" << (pid ? " of process " + std::to_string(*pid) : std::string()) << " in "
                  << file << '\n';
    return !shown.empty() || !first ? (allStarted ? Success : Negative) : Negative;
}

} // namespace qzpaths
