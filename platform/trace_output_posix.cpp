// trace_output_posix.cpp - the trace's setting and outputs on Linux.
#include "platform/TraceOutput.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace qz::platform {

std::optional<std::string> traceSetting()
{
    const char* value = ::secure_getenv("QZAPPINFO_TRACE");
    return value ? std::optional<std::string>(value) : std::nullopt;
}

long processId() { return static_cast<long>(::getpid()); }

std::string utcTime()
{
    timeval now{};
    ::gettimeofday(&now, nullptr);
    std::tm parts{};
    ::gmtime_r(&now.tv_sec, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(now.tv_usec / 1000));
    return text;
}

AppendFile::~AppendFile()
{
    if (_handle >= 0)
        ::close(static_cast<int>(_handle));
}

std::string AppendFile::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::strerror(errno);
    _handle = fd;
    return {};
}

bool AppendFile::write(std::string_view record)
{
    if (_handle < 0)
        return false;
    // One write: with O_APPEND the kernel places the whole record at the end of the file.
    ssize_t written;
    do
        written = ::write(static_cast<int>(_handle), record.data(), record.size());
    while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(record.size());
}

void writeStandardError(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool writeDebugger(std::string_view) { return false; }

} // namespace qz::platform
