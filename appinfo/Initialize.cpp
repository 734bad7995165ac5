// Initialize.cpp - the sequence that fills the record: executable search, executable
// directory, home and sandbox discovery; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "appinfo/Text.h"
#include "platform/Platform.h"

#include <cstring>
#include <string>

namespace platform = qz::platform;

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

bool appendExtensionIfExists(std::string& path, const char* extension)
{
    const std::size_t bare = path.size();
    path += '.';
    path += extension;
    if (platform::exists(path.c_str()))
        return true;
    path.resize(bare);
    return false;
}

// The first existing form wins: the name as given, then .bat, .com, .exe.
bool appendExtensionsIfExists(std::string& path)
{
    if (platform::exists(path.c_str()))
        return true;
    for (const char* extension : kExecutableExtensions)
        if (appendExtensionIfExists(path, extension))
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
    const std::string_view name = executableName;
    if (platform::isAbsoluteExecutableName(name)) {
        // An absolute name is never looked for anywhere else; when nothing of that name
        // exists, the executable path keeps the name as given.
        std::string path(name);
        _executablePath = _Keep(path.c_str());
        if (!appendExtensionsIfExists(path))
            return false;
        if (path.size() != name.size())
            _executablePath = _Keep(path.c_str());
        return true;
    }

    auto acceptIn = [&](const std::string& directory) {
        std::string candidate = directory + platform::joinSeparator() + std::string(name);
        if (!appendExtensionsIfExists(candidate))
            return false;
        _executablePath = _Keep(candidate.c_str());
        return true;
    };

    const platform::ExecutableSearch search = platform::executableSearchFor(name);
    if (search.inCurrentDirectory && acceptIn(_currentWorkingDir))
        return true;
    if (!search.alongSearchPath)
        return false;

    const std::string searchPath = platform::environment("PATH").value_or("");
    for (std::string_view entry : qz::listEntries(searchPath, platform::searchPathDelimiters()))
        if (acceptIn(std::string(entry)))
            return true;
    return false;
}

void QZApplicationInfo::_FindExecutableDir()
{
    const platform::Status status = platform::status(_executablePath);
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
    DirectoryRestorer restorer(_currentWorkingDir);
    std::string level = _executableDir;
    if (!platform::changeDirectory(level.c_str()))
        return;
    for (;;) {
        _NoteWalkLevel(level.c_str());
        if (isExistingDirectory(kSandboxMarker)) {
            _corvanHome = _Keep(level.c_str());
            _sandbox = true;
            _homeOrigin = HomeFromWalk;
            return;
        }
        platform::changeDirectory("..");
        std::optional<std::string> parent = platform::currentDirectory();
        // The root was reached, or the current directory cannot be read.
        if (!parent || *parent == level)
            return;
        level = std::move(*parent);
    }
}

int QZApplicationInfo::Initialize(const char* applicationName, float version, const char* supportEMail,
                                  const char* executableName, int patchLevel, int firstYear, int lastYear)
{
    if (_initialized)
        return 0;
    if (_applicationName)
        _Reset(); // what a failed call left behind

    _sandbox = false;
    if (!applicationName || !*applicationName)
        return 0;
    _applicationName = _Keep(applicationName);
    _productTag = _Keep(std::strcmp(_applicationName, "Obrenn") == 0 ? "ob" : "ry", 3);
    _supportEMail = _Keep(("mailto:" + std::string(qz::textOf(supportEMail))).c_str());
    _applicationVersion = version;
    _patchLevel = patchLevel;

    const std::optional<std::string> currentDirectory = platform::currentDirectory();
    if (!currentDirectory || currentDirectory->empty())
        return 0;
    _currentWorkingDir = _Keep(currentDirectory->c_str());

    if (!executableName || !*executableName || !_FindExecutable(executableName))
        return 0;
    _FindExecutableDir();

    _buildSuffix = _Keep(kBuildSuffix);
    _suiteRelease = kSuiteRelease;
    _BuildTitles();
    _BuildCopyrightStatement(firstYear, lastYear);
    _vendorName = const_cast<char*>(kVendorName);
    _vendorAddress = const_cast<char*>(kVendorAddress);
    _vendorWebAddress = const_cast<char*>(kVendorWebAddress);
    _BuildRegistryPaths();

    char value[kSysVarSize];
    _GetSysVar("DISPLAY", value, sizeof value);
    if (*value)
        _xDisplayName = _Keep(value);
    _productArchitecture = _Keep(platform::productArchitecture(), 6);
    _GetSysVar("CORVAN_ARCH", value, sizeof value);
    if (*value)
        _architecture = _Keep(value);

    const SysVarOrigin homeOrigin = _LookUpSysVar("CORVAN_HOME", value, sizeof value);
    if (*value) {
        _homeOrigin = homeOrigin == SysVarRegistry ? HomeFromRegistry : HomeFromEnvironment;
        // Only one trailing separator goes: "D:\qz\\" keeps one.
        std::string home = value;
        if (platform::isSeparator(home.back()))
            home.pop_back();
        _corvanHome = _Keep(home.c_str());
        _sandbox = isExistingDirectory(home + "/" + kSandboxMarker);
    } else if (_executableDir) {
        _WalkUpToSandbox();
    }
    if (!_corvanHome || !*_corvanHome)
        return 0;
    std::string home = _corvanHome;
    platform::useForwardSlashes(home);
    std::strcpy(_corvanHome, home.c_str());

    _SetupInternalPaths();
    // Only a faulty internal table lacks a key that the published one is built from.
    if (!_HasRequiredInternalPaths())
        return 0;
    _SetupPublishedPaths();
    _initialized = true;
    return 1;
}
