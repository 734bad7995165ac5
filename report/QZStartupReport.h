// QZStartupReport.h - what one Initialize of a QZApplicationInfo, or one system variable
// lookup, consulted and found, step by step; public interface only, no platform code.
#ifndef QZSTARTUPREPORT_H
#define QZSTARTUPREPORT_H

#include "QZTraceEvents.h"
#include "qzappinfo_export.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QZApplicationInfo;

// The record's own Initialize and lookup, run while this report takes notes. The record
// is not changed by being reported on: it behaves exactly as without a report, and only
// the report (never a copy of the record) sees the notes. Every text is the record's
// 8-bit text as the system gave it; nothing here promises UTF-8.
//
//     QZStartupReport report;
//     int ok = report.Initialize(info, name, version, email, exe, patch, first, last);
//     // report.steps, report.failure, report.lookups, report.walk ...
class QZAPPINFO_EXPORT QZStartupReport {
public:
    // The words of the library's trace (QZTraceEvents.h).
    using Step = qz::trace::Step;
    // Why Initialize returned 0; None when it returned 1 (or has not run).
    using Failure = qz::trace::Failure;
    using EnvironmentState = qz::trace::EnvironmentState;
    using RegistryRead = qz::platform::RegistryRead;
    // One system variable lookup, from the environment, else the registry.
    using Lookup = qz::trace::Lookup;

    // One existence test of the executable search.
    struct Candidate {
        using Where = qz::trace::CandidatePlace;
        Where where;
        std::string path;
        bool exists;
    };

    // One directory of the walk up from the executable's directory.
    struct WalkLevel {
        std::string directory;
        bool hasMarker; // it holds a qzcommon directory: this is the home
    };
    using WalkEnd = qz::trace::WalkEnd;

    // Which setting decided a published entry whose value a setting can change.
    struct Decision {
        std::string key;
        std::string setting; // a variable's name, or "application name"
        using Origin = qz::trace::DecisionOrigin;
        Origin origin;
    };

    // The words of a failure alone: "no installation home found".
    static const char* FailureText(Failure failure);
    // Why Initialize failed, in one line that names every source it consulted and what it
    // found there: "no installation home found: CORVAN_HOME is unset in the environment;
    // the registry stand-in /etc/corvan/registry.reg could not be read (Permission denied);
    // no qzcommon directory lies at or above /usr/bin". "no failure" after a success.
    std::string Reason() const;

    QZStartupReport();
    ~QZStartupReport();
    QZStartupReport(const QZStartupReport&);
    QZStartupReport& operator=(const QZStartupReport&);

    // Runs info.Initialize with these arguments while taking notes, and returns its
    // result. The report starts afresh: what an earlier call noted is dropped.
    int Initialize(QZApplicationInfo& info, const char* applicationName, float version, const char* supportEMail,
                   const char* executableName, int patchLevel, int firstYear, int lastYear);

    // Runs the record's own system variable lookup, as Initialize makes it, whether or
    // not Initialize succeeded, and appends its notes to lookups. The lookup needs the
    // record's system base registry path, which Initialize builds before it looks for
    // the home: without it nothing is looked up, value is left empty and false is
    // returned. value needs room for size bytes (at least one).
    bool LookUpSysVar(const QZApplicationInfo& info, const char* name, char* value, unsigned int size);

    // --- What was noted ---

    int result = 0;
    // The executable name that Initialize was given.
    std::string executableName;
    // The rest of what Initialize was given; a null text stays absent.
    std::optional<std::string> applicationName;
    std::optional<std::string> supportEMail;
    float version = 0;
    int patchLevel = 0;
    int firstYear = 0;
    int lastYear = 0;
    Failure failure = Failure::None;
    // The steps taken, in order; after a failure the last one is the step that failed.
    std::vector<Step> steps;

    // The current directory as read; nothing when it could not be read.
    std::optional<std::string> currentDirectory;

    // The executable search: the value of PATH when the search went along it (nothing
    // when PATH is unset), the entries skipped because they begin with '.', and every
    // name tested, in order.
    bool searchedCurrentDirectory = false;
    bool searchedPath = false;
    std::optional<std::string> searchPath;
    std::vector<std::string> skippedSearchPathEntries;
    std::vector<Candidate> executableCandidates;
    // The executable's status: Missing leaves the executable directory unknown.
    using ExecutableStatus = qz::trace::ExecutableStatus;
    ExecutableStatus executableStatus = ExecutableStatus::Unknown;

    // Every system variable lookup, in order: DISPLAY, CORVAN_ARCH, CORVAN_HOME and
    // QZ_MSG_HELP of Initialize, then those of LookUpSysVar.
    std::vector<Lookup> lookups;

    // How the home was found.
    using HomeSource = qz::trace::HomeSource;
    HomeSource homeSource = HomeSource::None;
    // CORVAN_HOME lost its one trailing separator.
    bool homeSeparatorRemoved = false;
    // The sandbox probe when CORVAN_HOME gave the home: the path tested and its kind.
    std::optional<std::string> sandboxProbe;
    using ProbeResult = qz::trace::ProbeResult;
    ProbeResult sandboxProbeResult = ProbeResult::Missing;
    std::vector<WalkLevel> walk;
    WalkEnd walkEnd = WalkEnd::NotWalked;

    std::vector<Decision> decisions;

    // The record as Initialize left it: whether the home is a sandbox tree, and the
    // published table in table order, each entry with its own value (any byte but NUL,
    // line ends included). Empty unless Initialize succeeded.
    bool sandbox = false;
    std::vector<std::pair<std::string, std::string>> published;
    // What the record holds after the call; absent where it holds nothing.
    struct Kept {
        std::optional<std::string> applicationName;
        std::optional<std::string> executablePath;
        std::optional<std::string> executableDirectory;
        std::optional<std::string> registryBase; // below HKEY_LOCAL_MACHINE
        std::optional<std::string> home;
    };
    Kept kept;
};

#endif
