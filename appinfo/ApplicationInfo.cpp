// ApplicationInfo.cpp - the record's life cycle, its accessors and its lookups; no platform code.
#include "QZApplicationInfo.h"

#include "appinfo/Text.h"

#include <vector>

namespace {

constexpr const char* kDisplayVersionInfo = "10.0build60";

} // namespace

// Every text the record owns. Records that share it (after a copy or an assignment)
// keep it alive until the last of them is destroyed.
struct QZApplicationInfo::_Buffers {
    std::vector<std::unique_ptr<char[]>> texts;
};

QZApplicationInfo::QZApplicationInfo()
    : _corvanHome(nullptr), _applicationTitleNoPatch(nullptr), _applicationTitle(nullptr),
      _architecture(nullptr), _buildSuffix(nullptr), _vendorAddress(nullptr), _vendorName(nullptr),
      _vendorWebAddress(nullptr), _copyrightStatement(nullptr), _currentWorkingDir(nullptr),
      _xDisplayName(nullptr), _displayVersionInfo(const_cast<char*>(kDisplayVersionInfo)),
      _executableDir(nullptr), _executablePath(nullptr), _systemBaseRegistryPath(nullptr),
      _userBaseRegistryPath(nullptr), _applicationName(nullptr), _productArchitecture(nullptr),
      _supportEMail(nullptr), _productTag(nullptr), _patchLevel(0), _applicationVersion(0.0f),
      _suiteRelease(0), _initialized(false), _sandbox(false), _publishedPaths(), _internalPaths(),
      _buffers(std::make_shared<_Buffers>())
{
}

QZApplicationInfo::QZApplicationInfo(const QZApplicationInfo& other) = default;

QZApplicationInfo::~QZApplicationInfo() = default;

QZApplicationInfo& QZApplicationInfo::operator=(const QZApplicationInfo& other) = default;

char* QZApplicationInfo::_Keep(const char* text, std::size_t minimumSize)
{
    // Room at once for every text that Initialize keeps, instead of growing step by step.
    constexpr std::size_t kTextsOfInitialize = 24;
    auto& texts = _buffers->texts;
    if (texts.capacity() < kTextsOfInitialize)
        texts.reserve(kTextsOfInitialize);
    // A failed growth of the list leaves the new copy to its unique_ptr, which frees it.
    return texts.emplace_back(qz::copyText(qz::textOf(text), minimumSize)).get();
}

// Back to the state of a new record: what a failed Initialize left is let go.
void QZApplicationInfo::_Reset()
{
    QZApplicationInfo fresh;
    *this = fresh;
}

char* QZApplicationInfo::GetCorvanHome() const { return _corvanHome; }
char* QZApplicationInfo::GetApplicationTitleNoPatch() const { return _applicationTitleNoPatch; }
char* QZApplicationInfo::GetApplicationTitle() const { return _applicationTitle; }
char* QZApplicationInfo::GetArchitecture() const { return _architecture; }
char* QZApplicationInfo::GetCopyrightStatement() const { return _copyrightStatement; }
char* QZApplicationInfo::GetCurrentWorkingDir() const { return _currentWorkingDir; }
char* QZApplicationInfo::GetXDisplayName() const { return _xDisplayName; }
char* QZApplicationInfo::GetDisplayVersionInfo() const { return _displayVersionInfo; }
char* QZApplicationInfo::GetExecutableDir() const { return _executableDir; }
char* QZApplicationInfo::GetExecutablePath() const { return _executablePath; }
char* QZApplicationInfo::GetSystemBaseRegistryPath() const { return _systemBaseRegistryPath; }
char* QZApplicationInfo::GetUserBaseRegistryPath() const { return _userBaseRegistryPath; }
char* QZApplicationInfo::GetApplicationName() const { return _applicationName; }
char* QZApplicationInfo::GetProductArchitecture() const { return _productArchitecture; }
char* QZApplicationInfo::GetSupportEMail() const { return _supportEMail; }
float QZApplicationInfo::GetApplicationVersion() const { return _applicationVersion; }
bool QZApplicationInfo::GetInitializedStatus() { return _initialized; }
bool QZApplicationInfo::_IsSandbox() { return _sandbox; }

char* QZApplicationInfo::GetFeatureName() const
{
    const std::string_view name = qz::textOf(_applicationName);
    auto feature = qz::copyText(name);
    char* next = feature.get();
    for (char c : name)
        if (c != ' ')
            *next++ = c;
    *next = '\0';
    return feature.release();
}

char* QZApplicationInfo::GetSpecifiedPath(const char* key) const
{
    if (!_initialized)
        return nullptr;
    return const_cast<char*>(_publishedPaths.GetPath(key));
}

void QZApplicationInfo::GetSysVar(const char* name, char* value, unsigned int size) const
{
    if (!value)
        return;
    value[0] = '\0';
    if (_initialized && size >= 1)
        _GetSysVar(name, value, size);
}

char* QZApplicationInfo::DumpPaths() { return _publishedPaths.DumpPaths(); }
