// Notes.h - the watcher that keeps in a start-up report everything one call tells it; internal.
#ifndef QZ_REPORT_NOTES_H
#define QZ_REPORT_NOTES_H

#include "QZStartupReport.h"
#include "appinfo/CoreAccess.h"

namespace qz {

// Keeps in a report everything that one call tells its watcher. A watcher that keeps its
// notes elsewhere (one report per thread, say) derives from it and gives its own sheet.
class Notes : public Trace {
public:
    explicit Notes(QZStartupReport& report) : _report(&report) {}

    void begins(const trace::Arguments& given) override
    {
        auto text = [](const char* t) { return t ? std::optional<std::string>(t) : std::nullopt; };
        sheet().executableName = given.executableName ? given.executableName : "";
        sheet().applicationName = text(given.applicationName);
        sheet().supportEMail = text(given.supportEMail);
        sheet().version = given.version;
        sheet().patchLevel = given.patchLevel;
        sheet().firstYear = given.firstYear;
        sheet().lastYear = given.lastYear;
    }
    void step(trace::Step step) override { sheet().steps.push_back(step); }
    void finished(const QZApplicationInfo& info, int result, trace::Failure failure) override
    {
        sheet().result = result;
        sheet().failure = failure;
        sheet().sandbox = CoreAccess::sandbox(info);
        for (const TableEntry& entry : CoreAccess::published(info))
            sheet().published.emplace_back(entry.key, entry.value);
        auto text = [](const char* t) { return t ? std::optional<std::string>(t) : std::nullopt; };
        // A second call leaves the record as the first one made it: nothing of it is this call's.
        if (failure == trace::Failure::AlreadyInitialized)
            return;
        sheet().kept = {text(info.GetApplicationName()), text(info.GetExecutablePath()),
                        text(info.GetExecutableDir()), text(info.GetSystemBaseRegistryPath()),
                        text(info.GetCorvanHome())};
    }
    void currentDirectory(const std::optional<std::string>& directory) override
    {
        sheet().currentDirectory = directory;
    }
    void executableSearch(bool inCurrentDirectory, bool alongSearchPath) override
    {
        sheet().searchedCurrentDirectory = inCurrentDirectory;
        sheet().searchedPath = alongSearchPath;
    }
    void searchPath(const std::optional<std::string>& pathVariable,
                    const std::vector<std::string_view>& skipped) override
    {
        sheet().searchPath = pathVariable;
        sheet().skippedSearchPathEntries.assign(skipped.begin(), skipped.end());
    }
    void candidate(trace::CandidatePlace where, std::string_view path, bool exists) override
    {
        sheet().executableCandidates.push_back({where, std::string(path), exists});
    }
    void executableStatus(trace::ExecutableStatus status) override { sheet().executableStatus = status; }
    void lookup(const trace::Lookup& lookup) override { sheet().lookups.push_back(lookup); }
    void home(trace::HomeSource source, bool separatorRemoved) override
    {
        sheet().homeSource = source;
        sheet().homeSeparatorRemoved = separatorRemoved;
    }
    void sandboxProbe(std::string_view path, trace::ProbeResult result) override
    {
        sheet().sandboxProbe = std::string(path);
        sheet().sandboxProbeResult = result;
    }
    void walkLevel(std::string_view directory, bool hasMarker) override
    {
        sheet().walk.push_back({std::string(directory), hasMarker});
    }
    void walkEnd(trace::WalkEnd end) override { sheet().walkEnd = end; }
    void decision(const char* key, const char* setting, trace::DecisionOrigin origin) override
    {
        sheet().decisions.push_back({key, setting, origin});
    }

protected:
    Notes() = default;
    // The report that the notes go to.
    virtual QZStartupReport& sheet() { return *_report; }

private:
    QZStartupReport* _report = nullptr;
};


} // namespace qz

#endif
