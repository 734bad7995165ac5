// Initialize.cpp - the sequence that fills the record: executable search, executable
// directory, home and sandbox discovery; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "appinfo/Text.h"
#include "platform/Platform.h"
#include "appinfo/Trace.h"

#include <cstring>
#include <string>
#include <vector>

namespace platform = qz::platform;
namespace trace = qz::trace;

namespace {

constexpr const char* kBuildSuffix = "build60";
constexpr long long kSuiteRelease = 10;
constexpr std::size_t kSysVarSize = 1024;
constexpr const char* kSandboxMarker = "qzcommon";

constexpr const char* kVendorName = "Corvan Engineering, Inc.";
constexpr const char* kVendorAddress = "Corvan Engineering, Inc.\n"
                                       "1200 Harbour Road\n"
                                       "Ellisport, NV 89000\n";
constexpr const char* kVendorWebAddress = "https://www.corvan-engineering.example";

// The existence test first, then the status query, as the sandbox probes make them.
bool isExistingDirectory(const std::string& path)
{
    return platform::exists(path.c_str()) && platform::status(path.c_str()) == platform::Status::Directory;
}

// The extensions tried, in this order, after the name as given.
constexpr const char* kExecutableExtensions[] = {"bat", "com", "exe"};

// Every name that the executable search tests, told to the watcher when there is one.
struct CandidateTest {
    qz::Trace* trace = nullptr;
    trace::CandidatePlace where = trace::CandidatePlace::AbsoluteName;
    bool exists(const std::string& path) const
    {
        const bool found = platform::exists(path.c_str());
        if (trace)
            trace->candidate(where, path, found);
        return found;
    }
};

bool appendExtensionIfExists(std::string& path, const char* extension, const CandidateTest& test = {})
{
    const std::size_t bare = path.size();
    path += '.';
    path += extension;
    if (test.exists(path))
        return true;
    path.resize(bare);
    return false;
}

// The first existing form wins: the name as given, then .bat, .com, .exe.
bool appendExtensionsIfExists(std::string& path, const CandidateTest& test = {})
{
    if (test.exists(path))
        return true;
    for (const char* extension : kExecutableExtensions)
        if (appendExtensionIfExists(path, extension, test))
            return true;
    return false;
}

// The end of the directory part: the file name and the separators before it are cut.
// A text without a separator has no directory part to cut to, and a path whose only
// separators stand at its start keeps its first one (the root).
std::size_t directoryLength(std::string_view path)
{
    std::size_t end = path.size();
    while (end > 0 && !platform::isSeparator(path[end - 1]))
        --end;
    if (end == 0)
        return path.size();
    while (end > 0 && platform::isSeparator(path[end - 1]))
        --end;
    return end == 0 ? 1 : end;
}

// Puts the current directory back on every way out of the walk, exceptions included.
class DirectoryRestorer {
public:
    explicit DirectoryRestorer(const char* directory) : _directory(directory) {}
    ~DirectoryRestorer() { platform::changeDirectory(_directory); }
    DirectoryRestorer(const DirectoryRestorer&) = delete;
    DirectoryRestorer& operator=(const DirectoryRestorer&) = delete;

private:
    const char* _directory;
};

} // namespace

int QZApplicationInfo::_AttemptAppendingExtension(char* path, char* extension)
{
    if (!path || !extension)
        return 0;
    std::string candidate = path;
    if (!appendExtensionIfExists(candidate, extension))
        return 0;
    std::strcpy(path, candidate.c_str());
    return 1;
}

int QZApplicationInfo::_AttemptAppendingExtensions(char* path)
{
    if (!path)
        return 0;
    std::string candidate = path;
    if (!appendExtensionsIfExists(candidate))
        return 0;
    std::strcpy(path, candidate.c_str());
    return 1;
}

void QZApplicationInfo::_Directory(char* path)
{
    if (!path)
        return;
    path[directoryLength(path)] = '\0';
}

bool QZApplicationInfo::_FindExecutable(const char* executableName)
{
    qz::Trace* const trace = qz::watcherOf(_trace.attached);
    CandidateTest test{trace};

    const std::string_view name = executableName;
    if (platform::isAbsoluteExecutableName(name)) {
        // An absolute name is never looked for anywhere else; when nothing of that name
        // exists, the executable path keeps the name as given.
        std::string path(name);
        _executablePath = _Keep(path.c_str());
        if (!appendExtensionsIfExists(path, test))
            return false;
        if (path.size() != name.size())
            _executablePath = _Keep(path.c_str());
        return true;
    }

    std::string candidate; // one buffer for every candidate
    auto acceptIn = [&](std::string_view directory) {
        candidate.assign(directory).append(1, platform::joinSeparator()).append(name);
        if (!appendExtensionsIfExists(candidate, test))
            return false;
        _executablePath = _Keep(candidate.c_str());
        return true;
    };

    const platform::ExecutableSearch search = platform::executableSearchFor(name);
    if (trace)
        trace->executableSearch(search.inCurrentDirectory, search.alongSearchPath);
    test.where = trace::CandidatePlace::CurrentDirectory;
    if (search.inCurrentDirectory && acceptIn(_currentWorkingDir))
        return true;
    if (!search.alongSearchPath)
        return false;

    const std::optional<std::string> pathVariable = platform::environment("PATH");
    const std::string searchPath = pathVariable.value_or("");
    std::vector<std::string_view> skipped;
    const auto entries = qz::listEntries(searchPath, platform::searchPathDelimiters(), trace ? &skipped : nullptr);
    if (trace)
        trace->searchPath(pathVariable, skipped);
    test.where = trace::CandidatePlace::SearchPath;
    for (std::string_view entry : entries)
        if (acceptIn(entry))
            return true;
    return false;
}

void QZApplicationInfo::_FindExecutableDir()
{
    const platform::Status status = platform::status(_executablePath);
    if (qz::Trace* const trace = qz::watcherOf(_trace.attached))
        trace->executableStatus(status == platform::Status::Missing     ? trace::ExecutableStatus::Missing
                                : status == platform::Status::Directory ? trace::ExecutableStatus::Directory
                                                                        : trace::ExecutableStatus::File);
    if (status == platform::Status::Missing)
        return;
    std::string directory = _executablePath;
    if (status != platform::Status::Directory)
        directory.resize(directoryLength(directory));
    _executableDir = _Keep(directory.c_str());
}

// Looks for the marker directory in the executable's directory and then in each of its
// ancestors, by changing into them; the current directory is put back afterwards.
void QZApplicationInfo::_WalkUpToSandbox()
{
    qz::Trace* const trace = qz::watcherOf(_trace.attached);
    auto end = [trace](trace::WalkEnd how) {
        if (trace)
            trace->walkEnd(how);
    };
    DirectoryRestorer restorer(_currentWorkingDir);
    std::string level = _executableDir;
    if (!platform::changeDirectory(level.c_str()))
        return end(trace::WalkEnd::CannotEnter);
    for (;;) {
        const bool found = isExistingDirectory(kSandboxMarker);
        if (trace)
            trace->walkLevel(level, found);
        if (found) {
            _corvanHome = _Keep(level.c_str());
            _sandbox = true;
            return end(trace::WalkEnd::Found);
        }
        platform::changeDirectory("..");
        std::optional<std::string> parent = platform::currentDirectory();
        // The root was reached, or the current directory cannot be read.
        if (!parent)
            return end(trace::WalkEnd::DirectoryUnreadable);
        if (*parent == level)
            return end(trace::WalkEnd::RootReached);
        level = std::move(*parent);
    }
}

int QZApplicationInfo::Initialize(const char* applicationName, float version, const char* supportEMail,
                                  const char* executableName, int patchLevel, int firstYear, int lastYear)
{
    qz::Trace* const trace = qz::watcherOf(_trace.attached);
    using Step = trace::Step;
    using Failure = trace::Failure;
    auto step = [trace](Step taken) {
        if (trace)
            trace->step(taken);
    };
    auto fail = [this, trace](Failure why) {
        if (trace)
            trace->finished(*this, 0, why);
        return 0;
    };
    if (trace)
        trace->begins({applicationName, version, supportEMail, executableName, patchLevel, firstYear, lastYear});

    if (_initialized) {
        step(Step::AlreadyInitialized);
        return fail(Failure::AlreadyInitialized);
    }
    if (_applicationName)
        _Reset(); // what a failed call left behind

    _sandbox = false;
    step(Step::ApplicationName);
    if (!applicationName || !*applicationName)
        return fail(Failure::EmptyApplicationName);
    _applicationName = _Keep(applicationName);
    _productTag = _Keep(std::strcmp(_applicationName, "Obrenn") == 0 ? "ob" : "ry", 3);
    _supportEMail = _Keep(("mailto:" + std::string(qz::textOf(supportEMail))).c_str());
    _applicationVersion = version;
    _patchLevel = patchLevel;

    step(Step::CurrentDirectory);
    const std::optional<std::string> currentDirectory = platform::currentDirectory();
    if (trace)
        trace->currentDirectory(currentDirectory);
    if (!currentDirectory || currentDirectory->empty())
        return fail(Failure::NoCurrentDirectory);
    _currentWorkingDir = _Keep(currentDirectory->c_str());

    step(Step::ExecutableName);
    if (!executableName || !*executableName)
        return fail(Failure::EmptyExecutableName);
    step(Step::ExecutableSearch);
    if (!_FindExecutable(executableName))
        return fail(Failure::ExecutableNotFound);
    step(Step::ExecutableDirectory);
    _FindExecutableDir();

    step(Step::RegistryBase);
    _buildSuffix = _Keep(kBuildSuffix);
    _suiteRelease = kSuiteRelease;
    _BuildTitles();
    _BuildCopyrightStatement(firstYear, lastYear);
    _vendorName = const_cast<char*>(kVendorName);
    _vendorAddress = const_cast<char*>(kVendorAddress);
    _vendorWebAddress = const_cast<char*>(kVendorWebAddress);
    _BuildRegistryPaths();

    char value[kSysVarSize];
    step(Step::Display);
    _LookUpSysVar("DISPLAY", value, sizeof value, trace);
    if (*value)
        _xDisplayName = _Keep(value);
    _productArchitecture = _Keep(platform::productArchitecture(), 6);
    step(Step::Architecture);
    _LookUpSysVar("CORVAN_ARCH", value, sizeof value, trace);
    if (*value)
        _architecture = _Keep(value);

    step(Step::CorvanHome);
    const trace::Source homeSource = _LookUpSysVar("CORVAN_HOME", value, sizeof value, trace);
    if (*value) {
        // Only one trailing separator goes: "D:\qz\\" keeps one.
        std::string home = value;
        const bool separatorRemoved = platform::isSeparator(home.back());
        if (separatorRemoved)
            home.pop_back();
        if (trace)
            trace->home(homeSource == trace::Source::Registry ? trace::HomeSource::Registry
                                                              : trace::HomeSource::Environment,
                        separatorRemoved);
        _corvanHome = _Keep(home.c_str());
        step(Step::SandboxProbe);
        // The existence test first, then the status query.
        const std::string probe = home + "/" + kSandboxMarker;
        const bool present = platform::exists(probe.c_str());
        _sandbox = present && platform::status(probe.c_str()) == platform::Status::Directory;
        if (trace)
            trace->sandboxProbe(probe, _sandbox  ? trace::ProbeResult::Directory
                                       : present ? trace::ProbeResult::NotADirectory
                                                 : trace::ProbeResult::Missing);
    } else if (_executableDir) {
        step(Step::Walk);
        _WalkUpToSandbox();
        if (trace && _corvanHome)
            trace->home(trace::HomeSource::Walk, false);
    }
    step(Step::Home);
    if (!_corvanHome)
        return fail(Failure::NoHome);
    if (!*_corvanHome)
        return fail(Failure::EmptyHome);
    std::string home = _corvanHome;
    platform::useForwardSlashes(home);
    std::strcpy(_corvanHome, home.c_str());

    step(Step::InternalPaths);
    _SetupInternalPaths();
    // Only a faulty internal table lacks a key that the published one is built from.
    if (!_HasRequiredInternalPaths())
        return fail(Failure::IncompleteInternalTable);
    step(Step::PublishedPaths);
    _SetupPublishedPaths();
    _initialized = true;
    if (trace)
        trace->finished(*this, 1, Failure::None);
    return 1;
}
