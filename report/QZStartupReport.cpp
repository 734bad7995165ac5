// QZStartupReport.cpp - the start-up report as a watcher of the record: it runs the record's
// own Initialize and lookup and keeps what the library tells it. No platform code.
#include "QZStartupReport.h"

#include "appinfo/CoreAccess.h"

namespace {

// Keeps in a report everything that one call tells its watcher.
class Notes final : public qz::Trace {
public:
    explicit Notes(QZStartupReport& report) : _report(report) {}

    void step(qz::trace::Step step) override { _report.steps.push_back(step); }
    void finished(const QZApplicationInfo& info, int result, qz::trace::Failure failure) override
    {
        _report.result = result;
        _report.failure = failure;
        _report.sandbox = qz::CoreAccess::sandbox(info);
        for (const qz::TableEntry& entry : qz::CoreAccess::published(info))
            _report.published.emplace_back(entry.key, entry.value);
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
    void candidate(qz::trace::CandidatePlace where, std::string_view path, bool exists) override
    {
        _report.executableCandidates.push_back({where, std::string(path), exists});
    }
    void executableStatus(qz::trace::ExecutableStatus status) override { _report.executableStatus = status; }
    void lookup(const qz::trace::Lookup& lookup) override { _report.lookups.push_back(lookup); }
    void home(qz::trace::HomeSource source, bool separatorRemoved) override
    {
        _report.homeSource = source;
        _report.homeSeparatorRemoved = separatorRemoved;
    }
    void sandboxProbe(std::string_view path, qz::trace::ProbeResult result) override
    {
        _report.sandboxProbe = std::string(path);
        _report.sandboxProbeResult = result;
    }
    void walkLevel(std::string_view directory, bool hasMarker) override
    {
        _report.walk.push_back({std::string(directory), hasMarker});
    }
    void walkEnd(qz::trace::WalkEnd end) override { _report.walkEnd = end; }
    void decision(const char* key, const char* setting, qz::trace::DecisionOrigin origin) override
    {
        _report.decisions.push_back({key, setting, origin});
    }

private:
    QZStartupReport& _report;
};

} // namespace

QZStartupReport::QZStartupReport() = default;
QZStartupReport::~QZStartupReport() = default;
QZStartupReport::QZStartupReport(const QZStartupReport&) = default;
QZStartupReport& QZStartupReport::operator=(const QZStartupReport&) = default;

int QZStartupReport::Initialize(QZApplicationInfo& info, const char* applicationName, float version,
                                const char* supportEMail, const char* executable, int patchLevel, int firstYear,
                                int lastYear)
{
    *this = QZStartupReport();
    executableName = executable ? executable : "";
    Notes notes(*this);
    // The record tells exactly this call, on every way out of it.
    qz::AttachedTrace attached(qz::CoreAccess::slot(info), notes);
    return info.Initialize(applicationName, version, supportEMail, executable, patchLevel, firstYear, lastYear);
}

bool QZStartupReport::LookUpSysVar(const QZApplicationInfo& info, const char* name, char* value, unsigned int size)
{
    if (value && size > 0)
        value[0] = '\0';
    if (!qz::CoreAccess::hasRegistryBase(info) || !value || size == 0)
        return false;
    // The notes go through the call itself, not through the record, so that lookups on
    // one record from several threads each fill their own report.
    Notes notes(*this);
    qz::CoreAccess::lookUpSysVar(info, name, value, size, &notes);
    return true;
}
