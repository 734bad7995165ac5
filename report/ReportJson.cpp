// ReportJson.cpp - the start-up report as one line of JSON: the record of one Initialize in a
// trace file and what qz_info_report_json hands out. Every field of the report, by its name.
#include "QZReportWords.h"
#include "platform/TraceOutput.h"
#include "report/JsonWriter.h"

namespace qz::words {

namespace {

using Report = QZStartupReport;

void writeLookup(JsonWriter& json, const Report::Lookup& lookup)
{
    json.open('{');
    json.key("name").text(lookup.name);
    json.key("size").number(lookup.size);
    json.key("environment").open('{');
    json.key("state").name(environmentStateName(lookup.environment));
    json.key("bytes").number(static_cast<long long>(lookup.environmentBytes));
    json.key("text").text(lookup.environmentText);
    json.close('}');
    json.key("registry");
    if (lookup.registry) {
        const Report::RegistryRead& read = *lookup.registry;
        json.open('{');
        json.key("store").text(read.store);
        json.key("storeSetting").text(read.storeSetting);
        json.key("storeState").name(storeStateName(read.storeState));
        json.key("storeReason").text(read.storeReason);
        json.key("key").text(read.keyPath);
        json.key("keyFound").boolean(read.keyFound);
        json.key("valueName").text(read.valueName);
        json.key("valueFound").boolean(read.valueFound);
        json.key("valueBytes").number(static_cast<long long>(read.valueBytes));
        json.key("type").number(read.type);
        json.key("nearestKey").text(read.nearestKey);
        json.key("nearestSubkeys").open('[');
        for (const std::string& subkey : read.nearestSubkeys)
            json.text(subkey);
        json.close(']');
        json.key("inOtherView").boolean(read.inOtherView);
        json.close('}');
    } else {
        json.null();
    }
    json.key("readLimit").number(static_cast<long long>(lookup.registryReadLimit));
    json.key("registryText").text(lookup.registryText);
    json.key("origin").name(sourceName(lookup.source));
    json.key("value").text(lookup.value);
    json.close('}');
}

} // namespace

std::string traceRecord(const char* event, const std::string& body)
{
    std::string line;
    JsonWriter(line).open('{').key("schema").number(kSchema).key("event").name(event)
        .key("pid").number(platform::processId()).key("time").text(platform::utcTime());
    line += body.size() > 2 ? ',' + body.substr(1) : std::string("}");
    return line + '\n';
}

std::string lookupJson(const Report::Lookup& lookup)
{
    std::string out;
    JsonWriter json(out);
    writeLookup(json, lookup);
    return out;
}

std::string startupJson(const Report& report)
{
    std::string out;
    JsonWriter json(out);
    json.open('{');
    json.key("arguments").open('{');
    json.key("applicationName").text(report.applicationName);
    json.key("version").real(report.version);
    json.key("supportEMail").text(report.supportEMail);
    json.key("executableName").text(report.executableName);
    json.key("patchLevel").number(report.patchLevel);
    json.key("firstYear").number(report.firstYear);
    json.key("lastYear").number(report.lastYear);
    json.close('}');
    json.key("result").number(report.result);
    json.key("failure").name(failureName(report.failure));
    json.key("reason").text(report.result == 1 ? std::optional<std::string>() : report.Reason());
    json.key("steps").open('[');
    for (const Report::Step step : report.steps)
        json.name(stepName(step));
    json.close(']');
    json.key("currentDirectory").text(report.currentDirectory);
    json.key("searchedCurrentDirectory").boolean(report.searchedCurrentDirectory);
    json.key("searchedPath").boolean(report.searchedPath);
    json.key("PATH").text(report.searchPath);
    json.key("skipped").open('[');
    for (const std::string& entry : report.skippedSearchPathEntries)
        json.text(entry);
    json.close(']');
    json.key("candidates").open('[');
    for (const Report::Candidate& candidate : report.executableCandidates) {
        json.open('{');
        json.key("where").name(whereName(candidate.where));
        json.key("path").text(candidate.path);
        json.key("exists").boolean(candidate.exists);
        json.close('}');
    }
    json.close(']');
    json.key("executableStatus").name(executableStatusName(report.executableStatus));
    json.key("lookups").open('[');
    for (const Report::Lookup& lookup : report.lookups)
        writeLookup(json, lookup);
    json.close(']');
    json.key("homeSource").name(homeSourceName(report.homeSource));
    json.key("homeSeparatorRemoved").boolean(report.homeSeparatorRemoved);
    json.key("sandboxProbe").text(report.sandboxProbe);
    json.key("sandboxProbeResult").name(probeResultName(report.sandboxProbeResult));
    json.key("walk").open('[');
    for (const Report::WalkLevel& level : report.walk) {
        json.open('{');
        json.key("directory").text(level.directory);
        json.key("qzcommon").boolean(level.hasMarker);
        json.close('}');
    }
    json.close(']');
    json.key("walkEnd").name(walkEndName(report.walkEnd));
    json.key("decisions").open('[');
    for (const Report::Decision& decision : report.decisions) {
        json.open('{');
        json.key("key").text(decision.key);
        json.key("setting").text(decision.setting);
        json.key("origin").name(decisionName(decision.origin));
        json.close('}');
    }
    json.close(']');
    json.key("sandbox").boolean(report.sandbox);
    json.key("published").open('[');
    for (const auto& [key, value] : report.published) {
        json.open('{');
        json.key("key").text(key);
        json.key("value").text(value);
        json.close('}');
    }
    json.close(']');
    json.key("kept").open('{');
    json.key("applicationName").text(report.kept.applicationName);
    json.key("executablePath").text(report.kept.executablePath);
    json.key("executableDirectory").text(report.kept.executableDirectory);
    json.key("registryBase").text(report.kept.registryBase);
    json.key("home").text(report.kept.home);
    json.close('}');
    json.close('}');
    return out;
}

} // namespace qz::words
