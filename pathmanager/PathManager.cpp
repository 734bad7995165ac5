// PathManager.cpp - the configuration path manager; no platform code beyond the platform layer.
#include "QZ_PathManager.h"

#include "appinfo/CoreAccess.h"
#include "appinfo/Text.h"
#include "platform/Platform.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform = qz::platform;
using qz::trace::Place;

namespace {

// Directory texts, variable values and joined paths fit 1024 bytes. Longer texts are
// kept whole in larger buffers; only the caller's buffer of GetFilePath is bounded.
constexpr std::size_t kDirectorySize = 1024;

// The read order used when the caller gives none.
constexpr int kDefaultReadOrder[4] = {1, 2, 3, 4};

std::unique_ptr<char[]> directoryBuffer(std::string_view text) { return qz::copyText(text, kDirectorySize); }

std::vector<std::string_view> configDirectories(std::string_view list)
{
    return qz::listEntries(list, platform::configPathDelimiters());
}

bool isEmpty(const char* text) { return !text || !*text; }

} // namespace

// Every buffer the path manager owns. Copies and assignments share it, so it lives
// until the last path manager holding it is destroyed.
struct QZ_PathManager::p_Buffers {
    std::unique_ptr<char[]> productionInstallationDir;
    std::unique_ptr<char[]> qzConfigPath;
    std::unique_ptr<char[]> userHome;
    std::unique_ptr<char[]> cwd;
    std::unique_ptr<char[]> directoryString;
    std::vector<std::unique_ptr<char[]>> configEntries;
    std::unique_ptr<char*[]> configArray;
};

QZ_PathManager::QZ_PathManager(QZApplicationInfo* info, int keepDuplicates)
    : _applicationInfo(info), _keepDuplicates(static_cast<char>(keepDuplicates & 0xff)),
      _productionInstallationDir(nullptr), _qzConfigPath(nullptr), _userHome(nullptr), _cwd(nullptr),
      _directoryString(nullptr), _qzConfigPathArray(nullptr), _numQZConfigPathArray(0),
      p_buffers(std::make_shared<p_Buffers>())
{
    p_Buffers& buffers = *p_buffers;

    buffers.productionInstallationDir = directoryBuffer(qz::textOf(info ? info->GetExecutableDir() : nullptr));
    _productionInstallationDir = buffers.productionInstallationDir.get();

    // Set-but-empty is treated like set; it lists no directory either way.
    const std::optional<std::string> configPath = platform::environment("QZ_CONFIG_PATH");
    buffers.qzConfigPath = directoryBuffer(configPath.value_or(std::string()));
    _qzConfigPath = buffers.qzConfigPath.get();
    if (configPath) {
        _numQZConfigPathArray = GetNumQZConfigPathArray();
        buffers.configArray.reset(new char*[static_cast<std::size_t>(_numQZConfigPathArray)]());
        _qzConfigPathArray = buffers.configArray.get();
        p_SetQZConfigPathArray();
    }

    buffers.userHome = directoryBuffer(platform::environment("HOME").value_or(std::string()));
    _userHome = buffers.userHome.get();

    buffers.cwd = directoryBuffer(qz::textOf(info ? info->GetCurrentWorkingDir() : nullptr));
    _cwd = buffers.cwd.get();

    buffers.directoryString = directoryBuffer("/");
    _directoryString = buffers.directoryString.get();

    // The full integer decides, not the byte that is kept: 256 keeps duplicates too.
    if (keepDuplicates != 0)
        return;
    // Each step compares with directories that later steps may still blank, so the
    // one that survives of a group is always the last in read order.
    p_IsSameDirProductionInstall();
    p_IsSameDirConfigPath();
    p_IsSameDirUserHome();
}

QZ_PathManager::QZ_PathManager(const QZ_PathManager& other) = default;

QZ_PathManager& QZ_PathManager::operator=(const QZ_PathManager& other) = default;

QZ_PathManager::~QZ_PathManager() = default;

// The library's own reader reads nothing; applications override it.
int QZ_PathManager::ReadFile(char*, char*) { return 0; }

void QZ_PathManager::ReadFromAll(char* data, int* order)
{
    qz::Trace* const trace = qz::watcherOf(p_trace.attached);
    auto read = [&](Place place, char* directory) {
        if (trace)
            trace->read(place, -1, qz::textOf(directory));
        ReadFile(directory, data);
    };
    if (trace)
        trace->readsBegin();
    const int* codes = order ? order : kDefaultReadOrder;
    for (int i = 0; i < 4; ++i) {
        switch (codes[i]) {
        case static_cast<int>(Place::ProductionInstallation):
            read(Place::ProductionInstallation, _productionInstallationDir);
            break;
        case static_cast<int>(Place::ConfigurationDirectory):
            p_ReadFileAtConfigPath(data);
            break;
        case static_cast<int>(Place::UserHome):
            read(Place::UserHome, _userHome);
            break;
        case static_cast<int>(Place::CurrentDirectory):
            read(Place::CurrentDirectory, _cwd);
            break;
        default:
            break;
        }
    }
    if (trace)
        trace->readsEnd();
}

QZApplicationInfo* QZ_PathManager::GetQZApplicationInfo() const { return _applicationInfo; }
char* QZ_PathManager::GetProductionInstallationDir() const { return _productionInstallationDir; }
char* QZ_PathManager::GetQZConfigPath() const { return _qzConfigPath; }
char* QZ_PathManager::GetUserHome() const { return _userHome; }
char* QZ_PathManager::GetCWD() const { return _cwd; }
char* QZ_PathManager::GetDirectoryString() const { return _directoryString; }

char* QZ_PathManager::GetQZConfigPathItem(int index)
{
    if (index < 0 || index >= _numQZConfigPathArray)
        return nullptr;
    return _qzConfigPathArray[index];
}

int QZ_PathManager::GetNumQZConfigPathArray()
{
    return static_cast<int>(configDirectories(qz::textOf(_qzConfigPath)).size());
}

bool QZ_PathManager::FindFileWithDirectory(char* path)
{
    return !isEmpty(path) && platform::status(path) != platform::Status::Missing;
}

bool QZ_PathManager::FindFilePath(char* directory, char* fileName)
{
    if (isEmpty(directory))
        return false;
    std::string joined(directory);
    joined += qz::textOf(_directoryString);
    joined += qz::textOf(fileName);
    const bool found = FindFileWithDirectory(joined.data());
    if (qz::Trace* const trace = qz::watcherOf(p_trace.attached))
        trace->fileTested(joined, found);
    return found;
}

bool QZ_PathManager::GetFilePath(char* fileName, char* const directory, int count)
{
    if (count <= 0 || !directory)
        return false;
    qz::Trace* const trace = qz::watcherOf(p_trace.attached);
    if (trace)
        trace->searchBegins(qz::textOf(fileName), count);
    // A directory that does not fit the caller's buffer is passed over, as if the
    // file were not there: it is neither cut nor written past the buffer.
    auto copyIfFits = [directory](const char* text) {
        if (std::strlen(text) < kDirectorySize)
            std::strcpy(directory, text);
    };
    auto tryPlace = [&](Place place) {
        const bool found = FindFilePath(directory, fileName);
        if (trace)
            trace->searchPlace(place, -1, directory, !isEmpty(directory), found);
        return found;
    };
    bool found = false;
    for (int step = 0; step < count && !found; ++step) {
        *directory = '\0';
        switch (step) {
        case 0:
            copyIfFits(_cwd);
            found = tryPlace(Place::CurrentDirectory);
            break;
        case 1:
            copyIfFits(_userHome);
            found = tryPlace(Place::UserHome);
            break;
        case 2:
            // The configuration directories tell the watcher themselves, one by one.
            p_SearchConfigPath(directory, fileName);
            found = FindFilePath(directory, fileName);
            break;
        case 3:
            copyIfFits(_productionInstallationDir);
            found = tryPlace(Place::ProductionInstallation);
            break;
        default:
            break;
        }
    }
    if (trace)
        trace->searchEnds(found, directory);
    return found;
}

void QZ_PathManager::p_SetQZConfigPathArray()
{
    std::vector<std::unique_ptr<char[]>>& entries = p_buffers->configEntries;
    entries.clear();
    for (std::string_view piece : configDirectories(qz::textOf(_qzConfigPath))) {
        if (static_cast<int>(entries.size()) >= _numQZConfigPathArray)
            break;
        entries.push_back(directoryBuffer(piece));
        _qzConfigPathArray[entries.size() - 1] = entries.back().get();
    }
}

bool QZ_PathManager::p_IsDirsIdentical(char* a, char* b)
{
    return qz::textOf(a) == qz::textOf(b);
}

bool QZ_PathManager::p_IsSameDirProductionInstall()
{
    if (isEmpty(_productionInstallationDir))
        return false;
    if (!p_IsSameDirWithConfigPath(_productionInstallationDir) &&
        !p_IsDirsIdentical(_productionInstallationDir, _userHome) &&
        !p_IsDirsIdentical(_productionInstallationDir, _cwd))
        return false;
    *_productionInstallationDir = '\0';
    return true;
}

bool QZ_PathManager::p_IsSameDirConfigPath()
{
    if (isEmpty(_qzConfigPath))
        return true;
    for (int j = 0; j < _numQZConfigPathArray; ++j) {
        char* entry = _qzConfigPathArray[j];
        if (p_HasSameDirInConfigPath(entry, j) || p_IsDirsIdentical(entry, _userHome) ||
            p_IsDirsIdentical(entry, _cwd))
            *entry = '\0';
    }
    return true;
}

bool QZ_PathManager::p_IsSameDirUserHome()
{
    if (isEmpty(_userHome) || !p_IsDirsIdentical(_userHome, _cwd))
        return false;
    *_userHome = '\0';
    return true;
}

bool QZ_PathManager::p_IsSameDirWithConfigPath(char* directory)
{
    for (int i = 0; i < _numQZConfigPathArray; ++i)
        if (p_IsDirsIdentical(_qzConfigPathArray[i], directory))
            return true;
    return false;
}

bool QZ_PathManager::p_HasSameDirInConfigPath(char* directory, int index)
{
    if (isEmpty(directory))
        return false;
    for (int i = index + 1; i < _numQZConfigPathArray; ++i)
        if (p_IsDirsIdentical(_qzConfigPathArray[i], directory))
            return true;
    return false;
}

// Leaves in directory the first configuration directory that has the file, else the
// last one that was tried; GetFilePath tests the result once more.
bool QZ_PathManager::p_SearchConfigPath(char* const directory, char* fileName)
{
    qz::Trace* const trace = qz::watcherOf(p_trace.attached);
    for (int i = 0; i < _numQZConfigPathArray; ++i) {
        const char* entry = _qzConfigPathArray[i];
        if (isEmpty(entry) || std::strlen(entry) >= kDirectorySize) {
            if (trace)
                trace->searchPlace(Place::ConfigurationDirectory, i, qz::textOf(entry), false, false);
            continue;
        }
        std::strcpy(directory, entry);
        const bool found = FindFilePath(directory, fileName);
        if (trace)
            trace->searchPlace(Place::ConfigurationDirectory, i, directory, true, found);
        if (found)
            break;
    }
    return true;
}

void QZ_PathManager::p_ReadFileAtConfigPath(char* data)
{
    qz::Trace* const trace = qz::watcherOf(p_trace.attached);
    for (int i = 0; i < _numQZConfigPathArray; ++i) {
        if (trace)
            trace->read(Place::ConfigurationDirectory, i, qz::textOf(_qzConfigPathArray[i]));
        ReadFile(_qzConfigPathArray[i], data);
    }
}

qz::Trace*& qz::CoreAccess::slot(QZ_PathManager& manager) { return manager.p_trace.attached; }
