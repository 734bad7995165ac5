// TraceOutput.h - where a process's trace goes: the setting that names it, and the outputs
// that take each record whole in one call.
#ifndef QZ_PLATFORM_TRACEOUTPUT_H
#define QZ_PLATFORM_TRACEOUTPUT_H

#include <optional>
#include <string>
#include <string_view>

namespace qz::platform {

// QZAPPINFO_TRACE, or nothing when it is unset or the process runs with raised privileges
// (set-user-ID or set-group-ID), where the dynamic loader ignores its own such settings.
std::optional<std::string> traceSetting();

long processId();
// The time now in UTC, as "2026-12-10T06:49:38.123Z".
std::string utcTime();

// A file that records are appended to. Opening creates it (mode 0600 where the system has
// modes); a record is written with one call, so that the records of processes sharing the
// file never interleave.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Empty on success, else the system's reason ("No such file or directory").
    std::string open(const std::string& path);
    bool write(std::string_view record);

private:
    long long _handle = -1;
};

// Standard error, whole in one call where the system allows.
void writeStandardError(std::string_view text);
// The debugger's output (OutputDebugStringA); false where the system has none.
bool writeDebugger(std::string_view text);

} // namespace qz::platform

#endif
