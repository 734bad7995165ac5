// QZStartupReport.h - what one Initialize of a QZApplicationInfo, or one system variable
// lookup, consulted and found, step by step; public interface only, no platform code.
#ifndef QZSTARTUPREPORT_H
#define QZSTARTUPREPORT_H

#include "qzappinfo_export.h"

#include <cstddef>
#include <optional>
#include <string>
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
    // The steps of Initialize, in the order in which it takes them.
    enum class Step {
        AlreadyInitialized,  // the record was initialized before: nothing is done
        ApplicationName,     // the name is copied; it must not be empty
        CurrentDirectory,    // the process's current directory is read
        ExecutableName,      // the executable name must not be empty
        ExecutableSearch,    // the executable is looked for (executableCandidates)
        ExecutableDirectory, // its directory is taken from the executable's status
        RegistryBase,        // titles, notices and the registry base paths are built
        Display,             // the system variable DISPLAY
        Architecture,        // the system variable CORVAN_ARCH
        CorvanHome,          // the system variable CORVAN_HOME
        SandboxProbe,        // CORVAN_HOME/qzcommon: a directory makes a sandbox
        Walk,                // no CORVAN_HOME: the walk up to a qzcommon directory
        Home,                // the home must be known and not empty
        InternalPaths,       // the internal table
        PublishedPaths       // QZ_MSG_HELP, then the published table
    };

    // Why Initialize returned 0; None when it returned 1 (or has not run).
    enum class Failure {
        None,
        AlreadyInitialized,
        EmptyApplicationName,
        NoCurrentDirectory,
        EmptyExecutableName,
        ExecutableNotFound,
        NoHome,   // CORVAN_HOME empty or unset, and no qzcommon at or above the executable
        EmptyHome, // CORVAN_HOME was a single separator
        IncompleteInternalTable
    };

    // One existence test of the executable search.
    struct Candidate {
        enum class Where { AbsoluteName, CurrentDirectory, SearchPath };
        Where where;
        std::string path;
        bool exists;
    };

    // The environment's part of one system variable lookup.
    enum class EnvironmentState {
        Unset,
        Empty,   // set to the empty text, which counts as absent
        TooLong, // set, but environmentBytes do not fit into the caller's buffer
        Used
    };

    // Where the machine-wide settings were looked for, and what was found there.
    struct RegistryRead {
        // The stand-in file's path, or "HKEY_LOCAL_MACHINE" where the system has a registry.
        std::string store;
        // The variable whose value named the store ("CORVAN_REGISTRY"), "" for the default.
        std::string storeSetting;
        enum class StoreState { Read, Missing, Unreadable, Directory, NotAnExportFile };
        StoreState storeState = StoreState::Read;
        // The system's reason when the store could not be read ("Permission denied").
        std::string storeReason;
        // The key path with its root ("HKEY_LOCAL_MACHINE\SOFTWARE\...") and the value name.
        std::string keyPath;
        std::string valueName;
        bool keyFound = false;
        bool valueFound = false;
        // The data's size as an 8-bit caller reads it (a string's terminator included),
        // when the value was found, and the most that the lookup reads.
        std::size_t valueBytes = 0;
        std::size_t readLimit = 0;
        // The value's text (its bytes up to the first NUL) when its data could be read.
        std::optional<std::string> text;
    };

    // One system variable lookup, from the environment, else the registry.
    struct Lookup {
        std::string name;
        // The size of the buffer that the value was read into: a text of this many bytes
        // or more does not fit and is ignored, not cut.
        unsigned int size = 0;
        EnvironmentState environment = EnvironmentState::Unset;
        std::size_t environmentBytes = 0;
        // The environment's text when set (also when empty or too long).
        std::optional<std::string> environmentText;
        // Present when the registry was consulted, that is when the environment gave nothing.
        std::optional<RegistryRead> registry;
        enum class Source { Nowhere, Environment, Registry };
        Source source = Source::Nowhere;
        // The value found; empty when Source is Nowhere.
        std::string value;
    };

    // One directory of the walk up from the executable's directory.
    struct WalkLevel {
        std::string directory;
        bool hasMarker; // it holds a qzcommon directory: this is the home
    };
    enum class WalkEnd {
        NotWalked,
        Found,
        CannotEnter,       // the executable's directory could not be made current
        RootReached,       // ".." led back to the same directory
        DirectoryUnreadable // the current directory could not be read after ".."
    };

    // Which setting decided a published entry whose value a setting can change.
    struct Decision {
        std::string key;
        std::string setting; // a variable's name, or "application name"
        enum class Origin { Default, Environment, Registry, ApplicationName };
        Origin origin;
    };

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
    enum class ExecutableStatus { Unknown, Missing, Directory, File };
    ExecutableStatus executableStatus = ExecutableStatus::Unknown;

    // Every system variable lookup, in order: DISPLAY, CORVAN_ARCH, CORVAN_HOME and
    // QZ_MSG_HELP of Initialize, then those of LookUpSysVar.
    std::vector<Lookup> lookups;

    // How the home was found.
    enum class HomeSource { None, Environment, Registry, Walk };
    HomeSource homeSource = HomeSource::None;
    // CORVAN_HOME lost its one trailing separator.
    bool homeSeparatorRemoved = false;
    // The sandbox probe when CORVAN_HOME gave the home: the path tested and its kind.
    std::optional<std::string> sandboxProbe;
    enum class ProbeResult { Missing, NotADirectory, Directory };
    ProbeResult sandboxProbeResult = ProbeResult::Missing;
    std::vector<WalkLevel> walk;
    WalkEnd walkEnd = WalkEnd::NotWalked;

    std::vector<Decision> decisions;
};

#endif
