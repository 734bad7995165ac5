// Notes.h - the watcher that keeps in a start-up report everything one call tells it; internal.
#ifndef QZ_REPORT_NOTES_H
#define QZ_REPORT_NOTES_H

#include "QZStartupReport.h"
#include "appinfo/CoreAccess.h"

namespace qz {

// Keeps in a report everything that one call tells its watcher.
class Notes : public Trace {
public:
    explicit Notes(QZStartupReport& report) : _report(report) {}

    void begins(const trace::Arguments& given) override
    {
        auto text = [](const char* t) { return t ? std::optional<std::string>(t) : std::nullopt; };
        _report.executableName = given.executableName ? given.executableName : "";
        _report.applicationName = text(given.applicationName);
        _report.supportEMail = text(given.supportEMail);
        _report.version = given.version;
        _report.patchLevel = given.patchLevel;
        _report.firstYear = given.firstYear;
        _report.lastYear = given.lastYear;
    }
    void step(trace::Step step) override { _report.steps.push_back(step); }
    void finished(const QZApplicationInfo& info, int result, trace::Failure failure) override
    {
        _report.result = result;
        _report.failure = failure;
        _report.sandbox = CoreAccess::sandbox(info);
        for (const TableEntry& entry : CoreAccess::published(info))
            _report.published.emplace_back(entry.key, entry.value);
        auto text = [](const char* t) { return t ? std::optional<std::string>(t) : std::nullopt; };
        // A second call leaves the record as the first one made it: nothing of it is this call's.
        if (failure == trace::Failure::AlreadyInitialized)
            return;
        _report.kept = {text(info.GetApplicationName()), text(info.GetExecutablePath()),
                        text(info.GetExecutableDir()), text(info.GetSystemBaseRegistryPath()),
                        text(info.GetCorvanHome())};
    }
    void currentDirectory(const std::optional<std::string>& directory) override
    {
        _report.currentDirectory = directory;
    }
    void executableSearch(bool inCurrentDirectory, bool alongSearchPath) override
    {
        _report.searchedCurrentDirectory = inCurrentDirectory;
        _report.searchedPath = alongSearchPath;
    }
    void searchPath(const std::optional<std::string>& pathVariable,
                    const std::vector<std::string_view>& skipped) override
    {
        _report.searchPath = pathVariable;
        _report.skippedSearchPathEntries.assign(skipped.begin(), skipped.end());
    }
    void candidate(trace::CandidatePlace where, std::string_view path, bool exists) override
    {
        _report.executableCandidates.push_back({where, std::string(path), exists});
    }
    void executableStatus(trace::ExecutableStatus status) override { _report.executableStatus = status; }
    void lookup(const trace::Lookup& lookup) override { _report.lookups.push_back(lookup); }
    void home(trace::HomeSource source, bool separatorRemoved) override
    {
        _report.homeSource = source;
        _report.homeSeparatorRemoved = separatorRemoved;
    }
    void sandboxProbe(std::string_view path, trace::ProbeResult result) override
    {
        _report.sandboxProbe = std::string(path);
        _report.sandboxProbeResult = result;
    }
    void walkLevel(std::string_view directory, bool hasMarker) override
    {
        _report.walk.push_back({std::string(directory), hasMarker});
    }
    void walkEnd(trace::WalkEnd end) override { _report.walkEnd = end; }
    void decision(const char* key, const char* setting, trace::DecisionOrigin origin) override
    {
        _report.decisions.push_back({key, setting, origin});
    }

private:
    QZStartupReport& _report;
};


} // namespace qz

#endif
