// trace_output_windows.cpp - the trace's setting and outputs on Windows.
#include "platform/TraceOutput.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace qz::platform {

std::optional<std::string> traceSetting()
{
    const char* value = std::getenv("QZAPPINFO_TRACE");
    return value ? std::optional<std::string>(value) : std::nullopt;
}

long processId() { return static_cast<long>(::GetCurrentProcessId()); }

std::string utcTime()
{
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

namespace {

std::string systemMessage(DWORD code)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

} // namespace

AppendFile::~AppendFile()
{
    if (_handle >= 0)
        ::CloseHandle(reinterpret_cast<HANDLE>(_handle));
}

std::string AppendFile::open(const std::string& path)
{
    // Appending only. Read access too, for the lock that keeps the records of processes
    // sharing the file apart (Wine does not append atomically; Windows does).
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return systemMessage(::GetLastError());
    _handle = reinterpret_cast<long long>(file);
    return {};
}

bool AppendFile::write(std::string_view record)
{
    if (_handle < 0)
        return false;
    const HANDLE file = reinterpret_cast<HANDLE>(_handle);
    // One byte far beyond any end of file stands for the whole file: every writer that
    // uses this file takes it for one record.
    OVERLAPPED lock{};
    lock.Offset = 0xFFFFFFFF;
    lock.OffsetHigh = 0x7FFFFFFF;
    const bool locked = ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lock);
    DWORD written = 0;
    const bool whole =
        ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) && written == record.size();
    if (locked)
        ::UnlockFileEx(file, 0, 1, 0, &lock);
    return whole;
}

void writeStandardError(std::string_view text)
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error && error != INVALID_HANDLE_VALUE)
        ::WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool writeDebugger(std::string_view text)
{
    ::OutputDebugStringA(std::string(text).c_str());
    return true;
}

} // namespace qz::platform
