// QZTraceEvents.h - the words in which Initialize, the system variable lookup and the path
// manager's searches tell what they consulted and decided; data only, no platform code.
#ifndef QZTRACEEVENTS_H
#define QZTRACEEVENTS_H

#include "QZRegistryRead.h"

#include <cstddef>
#include <optional>
#include <string>

namespace qz::trace {

// The steps of Initialize, in the order in which it takes them.
enum class Step {
    AlreadyInitialized,  // the record was initialized before: nothing is done
    ApplicationName,     // the name is copied; it must not be empty
    CurrentDirectory,    // the process's current directory is read
    ExecutableName,      // the executable name must not be empty
    ExecutableSearch,    // the executable is looked for
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

// Why Initialize returned 0.
enum class Failure {
    None,
    AlreadyInitialized,
    EmptyApplicationName,
    NoCurrentDirectory,
    EmptyExecutableName,
    ExecutableNotFound,
    NoHome,    // CORVAN_HOME empty or unset, and no qzcommon at or above the executable
    EmptyHome, // CORVAN_HOME was a single separator
    IncompleteInternalTable
};

// Where the executable search tested a name.
enum class CandidatePlace { AbsoluteName, CurrentDirectory, SearchPath };

// The executable's status: Missing leaves the executable directory unknown.
enum class ExecutableStatus { Unknown, Missing, Directory, File };

// How the home was found.
enum class HomeSource { None, Environment, Registry, Walk };

// What CORVAN_HOME/qzcommon turned out to be.
enum class ProbeResult { Missing, NotADirectory, Directory };

enum class WalkEnd {
    NotWalked,
    Found,
    CannotEnter,        // the executable's directory could not be made current
    RootReached,        // ".." led back to the same directory
    DirectoryUnreadable // the current directory could not be read after ".."
};

// Which setting decided a published entry whose value a setting can change.
enum class DecisionOrigin { Default, Environment, Registry, ApplicationName };

// The environment's part of one system variable lookup.
enum class EnvironmentState {
    Unset,
    Empty,   // set to the empty text, which counts as absent
    TooLong, // set, but environmentBytes do not fit into the caller's buffer
    Used
};

// Where a system variable's value came from.
enum class Source { Nowhere, Environment, Registry };

// One system variable lookup, from the environment, else the registry.
struct Lookup {
    using Source = trace::Source;
    std::string name;
    // The size of the buffer that the value was read into: a text of this many bytes
    // or more does not fit and is ignored, not cut.
    unsigned int size = 0;
    EnvironmentState environment = EnvironmentState::Unset;
    std::size_t environmentBytes = 0;
    // The environment's text when set (also when empty or too long).
    std::optional<std::string> environmentText;
    // Present when the registry was consulted, that is when the environment gave nothing.
    std::optional<platform::RegistryRead> registry;
    // The most bytes of data that the registry read takes, and the value's text (its
    // bytes up to the first NUL) when its data could be read.
    std::size_t registryReadLimit = 0;
    std::optional<std::string> registryText;
    Source source = Source::Nowhere;
    // The value found; empty when source is Nowhere.
    std::string value;
};

// What an application passed to Initialize; texts may be null.
struct Arguments {
    const char* applicationName = nullptr;
    float version = 0;
    const char* supportEMail = nullptr;
    const char* executableName = nullptr;
    int patchLevel = 0;
    int firstYear = 0;
    int lastYear = 0;
};

// The places of the path manager. Searches go from the current directory outward; reads
// go the other way by default.
enum class Place {
    ProductionInstallation = 1,
    ConfigurationDirectory = 2,
    UserHome = 3,
    CurrentDirectory = 4
};

} // namespace qz::trace

#endif
