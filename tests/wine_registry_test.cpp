// wine_registry_test.cpp - imports every registry test file with regedit and checks that the real registry and the stand-in reader give the bytes its expectation file lists.
#include "platform/RegistryFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The same 1023-byte buffer that the library's callers hand to RegQueryValueExA.
constexpr std::size_t kBufferSize = 1023;
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

struct Probe {
    std::string key;
    std::string name;
    std::optional<std::string> expected;
    std::string line;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Key and value names keep every byte but '%', '|' and the unprintable ones literal; those are %XX.
std::string unescapeField(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size() && hexDigit(field[i + 1]) >= 0 && hexDigit(field[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(field[i + 1]) * 16 + hexDigit(field[i + 2]));
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string hexBytes(std::string_view bytes)
{
    std::string out;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out;
}

std::string describe(const std::optional<std::string>& bytes)
{
    return bytes ? hexBytes(*bytes) : "absent";
}

std::vector<Probe> readProbes(const fs::path& path)
{
    std::vector<Probe> probes;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const auto first = line.find('|');
        const auto second = line.find('|', first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            ADD_FAILURE() << path << ": bad line " << line;
            continue;
        }
        Probe probe{unescapeField(line.substr(0, first)), unescapeField(line.substr(first + 1, second - first - 1)),
                    std::nullopt, line.substr(0, second + 1)};
        const std::string want = line.substr(second + 1);
        if (want != "absent") {
            std::string bytes;
            for (std::size_t i = 0; i + 1 < want.size(); i += 2)
                bytes += static_cast<char>(hexDigit(want[i]) * 16 + hexDigit(want[i + 1]));
            probe.expected = bytes;
        }
        probes.push_back(probe);
    }
    return probes;
}

// The part of a probed path below HKEY_LOCAL_MACHINE, as the library hands it to RegOpenKeyExA.
std::string subkeyOf(const std::string& key)
{
    return key.size() > kRoot.size() ? key.substr(kRoot.size() + 1) : std::string();
}

std::optional<std::string> queryRegistry(const Probe& probe)
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

// The keys a test file may write: each probed path up to the component after "QzRegTest".
std::set<std::string> ownedSubkeys(const std::vector<Probe>& probes)
{
    std::set<std::string> owned;
    for (const Probe& probe : probes) {
        std::string subkey = subkeyOf(probe.key);
        std::string upper = subkey;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        const auto mark = upper.find("\\QZREGTEST\\");
        if (mark == std::string::npos)
            continue;
        const auto end = subkey.find('\\', mark + 11);
        owned.insert(subkey.substr(0, end));
    }
    return owned;
}

void deleteKeys(const std::set<std::string>& subkeys)
{
    for (const std::string& subkey : subkeys)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, subkey.c_str());
}

bool importWithRegedit(const fs::path& file)
{
    std::string command = "regedit.exe /S \"" + file.string() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

fs::path dataDirectory()
{
    return fs::path(QZ_TEST_DATA_DIR) / "registry";
}

std::vector<std::string> testFileStems()
{
    std::vector<std::string> stems;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dataDirectory(), error))
        if (entry.path().extension() == ".expected")
            stems.push_back(entry.path().stem().string());
    std::sort(stems.begin(), stems.end());
    return stems;
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
    const fs::path regFile = dataDirectory() / (GetParam() + ".reg");
    const std::vector<Probe> probes = readProbes(dataDirectory() / (GetParam() + ".expected"));
    ASSERT_FALSE(probes.empty());
    const std::set<std::string> owned = ownedSubkeys(probes);
    deleteKeys(owned);
    ASSERT_TRUE(importWithRegedit(regFile));
    const std::string contents = readFile(regFile);
    for (const Probe& probe : probes) {
        const std::optional<std::string> registry = queryRegistry(probe);
        EXPECT_EQ(describe(registry), describe(probe.expected)) << "registry: " << probe.line << describe(registry);
        EXPECT_EQ(describe(qz::regfile::queryValueIn(contents, probe.key, probe.name, kBufferSize)),
                  describe(probe.expected))
            << "reader: " << probe.line;
    }
    deleteKeys(owned);
}

INSTANTIATE_TEST_SUITE_P(Files, WineRegistry, testing::ValuesIn(testFileStems()), testNameOf);
