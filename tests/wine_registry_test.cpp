// wine_registry_test.cpp - imports each registry test file with regedit; Wine's registry and the reader must give the expected bytes.
#include "platform/registry/RegistryFile.h"

#include "support/RegistryExpectations.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
    for (const auto& probe : probes) {
        const std::string registry = qztest::hexBytes(queryRegistry(probe));
        EXPECT_EQ(registry, probe.expected) << "registry: " << probe.line << registry;
        EXPECT_EQ(qztest::hexBytes(qz::regfile::queryValueIn(contents, probe.key, probe.name, kBufferSize)), probe.expected)
            << "reader: " << probe.line;
    }
    deleteKeysOf(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Files, WineRegistry, testing::ValuesIn(qztest::registryExpectationStems()), testNameOf);
