// VersionStrings.cpp - version strings, window titles, the copyright statement and the
// registry base paths; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "appinfo/Text.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <string>

namespace {

constexpr const char* kRegistryBase = "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\";
constexpr std::size_t kTitleBufferSize = 256;

// Marker, version, build, and the date and time of the build that this library matches.
// No code reads it; it is there to be found in the library file (strings, grep), so it
// is kept although nothing refers to it. The attribute keeps the array itself, which is
// data and survives stripping; compilers that do not know it would drop the stamp.
[[gnu::used]] constexpr char kVersionStamp[] = "QZVERSION_10.0build60_May 11 2009_18:23:46";

constexpr const char* kCopyrightVendorPhrase = " Corvan Engineering, Inc.,";
constexpr const char* kCopyrightRightsPhrase = "   All rights reserved.";
constexpr const char* kCopyrightNotice1 =
    "This program is protected by copyright law and international treaties.";
constexpr const char* kCopyrightNotice2 =
    "Copying or distributing it without a license from Corvan Engineering, Inc. is prohibited.";

// The general format of the standard stream: 6 significant digits, no trailing zeros.
std::string streamFormat(float v)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << v;
    return out.str();
}

// Beyond these bounds the integer part is undefined, so such versions are written in
// the stream's general format in every form.
bool hasIntegerPart(float v) { return std::isfinite(v) && std::fabs(v) < 2147483648.0f; }

bool isIntegral(float v) { return static_cast<float>(static_cast<int>(v)) == v; }

std::string dottedNumber(float v)
{
    if (!hasIntegerPart(v) || !isIntegral(v))
        return streamFormat(v);
    return std::to_string(static_cast<int>(v)) + ".0";
}

// Every float of magnitude 2^23 or more is integral, so the loop ends after a few
// multiplications for any version that has an integer part.
std::string compactNumber(float v)
{
    if (!hasIntegerPart(v))
        return streamFormat(v);
    if (isIntegral(v))
        return std::to_string(static_cast<int>(v)) + "0";
    volatile float scaled = v; // kept in single precision
    while (!isIntegral(scaled))
        scaled = scaled * 10.0f;
    return std::to_string(static_cast<long long>(scaled));
}

bool displayBuildRequested()
{
    const auto value = qz::platform::environment("QZDISPLAY_BUILD");
    return value && std::atoi(value->c_str()) != 0;
}

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    const int length = std::snprintf(nullptr, 0, pattern, args...);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

} // namespace

char* QZApplicationInfo::_GetVersionString(_VersionStringType type)
{
    const float v = _applicationVersion;
    std::string version;
    if (type == _VersionFull || type == _VersionDisplay)
        version = dottedNumber(v);
    else if (type == _VersionCompact)
        version = compactNumber(v);

    const char* suffix = _buildSuffix ? _buildSuffix : "";
    if (*suffix != '\0' && (type != _VersionDisplay || displayBuildRequested()))
        version += suffix;
    return qz::copyText(version).release();
}

void QZApplicationInfo::_BuildTitles()
{
    const std::unique_ptr<char[]> version(_GetVersionString(_VersionDisplay));
    // Titles live in 256-byte buffers, larger only when a title needs more.
    const std::string noPatch = std::string(qz::textOf(_applicationName)) + " v" + version.get();
    _applicationTitleNoPatch = _Keep(noPatch.c_str(), kTitleBufferSize);
    const std::string title =
        _patchLevel != 0 ? format("%s-%03d", _applicationTitleNoPatch, _patchLevel) : noPatch;
    _applicationTitle = _Keep(title.c_str(), kTitleBufferSize);
}

void QZApplicationInfo::_BuildCopyrightStatement(int firstYear, int lastYear)
{
    std::string statement;
    statement.reserve(256);
    statement.append("Copyright (c) ").append(std::to_string(firstYear));
    if (lastYear != firstYear)
        statement.append("-").append(std::to_string(lastYear));
    statement.append(kCopyrightVendorPhrase).append(kCopyrightRightsPhrase).append("\n");
    statement.append(kCopyrightNotice1).append("\n").append(kCopyrightNotice2).append("\n\n");
    _copyrightStatement = _Keep(statement.c_str());
}

void QZApplicationInfo::_BuildRegistryPaths()
{
    const std::unique_ptr<char[]> version(_GetVersionString(_VersionFull));
    const std::string path = std::string(kRegistryBase) + version.get();
    _systemBaseRegistryPath = _Keep(path.c_str());
    _userBaseRegistryPath = _Keep(path.c_str());
}
