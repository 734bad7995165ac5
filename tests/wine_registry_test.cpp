// wine_registry_test.cpp - imports each registry test file with regedit; Wine's registry and the reader must give the expected bytes.
#include "platform/registry/RegistryFile.h"

#include "support/RegistryExpectations.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The same 1023-byte buffer that the library's callers hand to RegQueryValueExA.
constexpr std::size_t kBufferSize = 1023;
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

// The part of a probed path below HKEY_LOCAL_MACHINE, as the library hands it to RegOpenKeyExA.
std::string subkeyOf(const std::string& key)
{
    return key.size() > kRoot.size() ? key.substr(kRoot.size() + 1) : std::string();
}

std::optional<std::string> queryRegistry(const qztest::RegistryProbe& probe)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkeyOf(probe.key).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> data(kBufferSize + 1);
    DWORD size = kBufferSize;
    const LONG result =
        RegQueryValueExA(key, probe.name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data.data(), size);
}

std::wstring wideOf(const std::string& text, UINT codePage)
{
    std::wstring out(text.size(), L'\0');
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                      static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string utf8Of(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// What the Linux reader must give for a probe: the UTF-8 of what RegQueryValueExW returns
// (strings other than empty ones with one terminator, as RegQueryValueExA gives them), within the same 1023
// bytes. The key must open as the 8-bit caller opens it, so RegOpenKeyExA decides that.
std::optional<std::string> queryRegistryUtf8(const qztest::RegistryProbe& probe)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkeyOf(probe.key).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = wideOf(probe.name.substr(0, probe.name.find('\0')), 1252);
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size + 2);
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    std::string bytes(reinterpret_cast<const char*>(data.data()), size);
    if (size > 0 && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
        std::wstring text(size / 2, L'\0');
        std::memcpy(text.data(), data.data(), text.size() * 2);
        if (!text.empty() && text.back() == L'\0')
            text.pop_back();
        bytes = utf8Of(text) + std::string(1, '\0');
    }
    if (bytes.size() > kBufferSize)
        return std::nullopt;
    return bytes;
}

// Each test file writes below QzRegTest\<file name>, in SOFTWARE or, through
// HKEY_CLASSES_ROOT, in SOFTWARE\Classes; other Wine processes may share the prefix.
void deleteKeysOf(const std::string& stem)
{
    for (const char* parent : {"SOFTWARE\\QzRegTest\\", "SOFTWARE\\Classes\\QzRegTest\\"})
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (parent + stem).c_str());
}

// Some test files make regedit crash, as it does on them; its output, and the backtrace
// that Wine's debugger then prints, go to NUL rather than into the test log.
bool importWithRegedit(const fs::path& file)
{
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    std::string command = "regedit.exe /S \"" + file.string() + "\"";
    const bool started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (started) {
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(nul);
    return started;
}

std::string testNameOf(const testing::TestParamInfo<std::string>& file)
{
    std::string name = file.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class WineRegistry : public testing::TestWithParam<std::string> {};

} // namespace

TEST(WineCodePage, IsTheOneTheExpectationsAssume)
{
    ASSERT_EQ(GetACP(), 1252u) << "the expectation files hold Windows-1252 text; run Wine with LC_ALL=C.UTF-8";
}

// A mismatch prints the whole expectation line as the registry answered, ready to paste.
TEST_P(WineRegistry, ImportedFileReadsAsExpected)
{
    const fs::path regFile = qztest::registryDataDirectory() / (GetParam() + ".reg");
    const auto probes = qztest::readRegistryProbes(qztest::registryDataDirectory() / (GetParam() + ".expected"));
    ASSERT_FALSE(probes.empty());
    deleteKeysOf(GetParam());
    ASSERT_TRUE(importWithRegedit(regFile));
    const std::string contents = qztest::readBinaryFile(regFile);
    const bool utf8Comparable = contents.rfind("\xFF\xFE", 0) == 0 ||
                                std::all_of(contents.begin(), contents.end(), [](char c) { return c >= 0; });
    for (const auto& probe : probes) {
        const std::string registry = qztest::hexBytes(queryRegistry(probe));
        EXPECT_EQ(registry, probe.expected) << "registry: " << probe.line << registry;
        EXPECT_EQ(qztest::hexBytes(qz::regfile::queryValueIn(contents, probe.key, probe.name, kBufferSize,
                                                                 qz::regfile::Encoding::Cp1252)),
                  probe.expected)
            << "reader: " << probe.line;
        // The Linux convention, UTF-8: a UTF-16 file gives the UTF-8 of what
        // RegQueryValueExW gives; an 8-bit file in ASCII (which reads alike in code page
        // 1252 and in UTF-8) gives ASCII values byte for byte as RegQueryValueExA does,
        // and its other data (hex bytes of string types) as the bytes stand.
        bool asciiValue = true;
        for (std::size_t i = 0; probe.expected != "absent" && i < probe.expected.size(); i += 2)
            asciiValue = asciiValue && probe.expected[i] <= '7';
        const bool wideFile = contents.rfind("\xFF\xFE", 0) == 0;
        if (utf8Comparable && (wideFile || asciiValue)) {
            const std::string key = utf8Of(wideOf(probe.key.substr(0, probe.key.find('\0')), 1252));
            const std::string name = utf8Of(wideOf(probe.name.substr(0, probe.name.find('\0')), 1252));
            EXPECT_EQ(qztest::hexBytes(qz::regfile::queryValueIn(contents, key, name, kBufferSize,
                                                                 qz::regfile::Encoding::Utf8)),
                      wideFile ? qztest::hexBytes(queryRegistryUtf8(probe)) : probe.expected)
                << "UTF-8 reader: " << probe.line;
        }
    }
    deleteKeysOf(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Files, WineRegistry, testing::ValuesIn(qztest::registryExpectationStems()), testNameOf);
