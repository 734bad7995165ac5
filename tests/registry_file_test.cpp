// registry_file_test.cpp - the registry export file reader: the expectation files recorded from Wine, caller-side limits, hostile input and cost.
#include "platform/registry/RegistryFile.h"

#include "support/RegistryExpectations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using qz::regfile::queryValue;
using qz::regfile::queryValueIn;
using namespace qztest;

// Counts allocations while a test asks for it, to show that a lookup allocates per lookup, not per line.
static bool g_countAllocations = false;
static std::size_t g_allocations = 0;

void* operator new(std::size_t size)
{
    if (g_countAllocations)
        ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

// GCC cannot see that the operator new above is the one that pairs with these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

fs::path dataDirectory() { return registryDataDirectory(); }

constexpr std::size_t kBufferSize = 1023;
const std::string kHeader = "Windows Registry Editor Version 5.00\r\n";
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App";

std::string testNameOf(const testing::TestParamInfo<std::string>& file)
{
    std::string name = file.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

std::optional<std::string> lookUp(const std::string& contents, const std::string& name, std::size_t maxBytes = kBufferSize)
{
    return queryValueIn(contents, kKey, name, maxBytes);
}

class RecordedFromWine : public testing::TestWithParam<std::string> {};

} // namespace

// Every expectation file holds what Wine's registry gave after `regedit /S` of its .reg file.
TEST_P(RecordedFromWine, ReadsAsTheRegistryDid)
{
    const fs::path regFile = dataDirectory() / (GetParam() + ".reg");
    const auto probes = readRegistryProbes(dataDirectory() / (GetParam() + ".expected"));
    for (const auto& probe : probes)
        EXPECT_EQ(hexBytes(queryValue(regFile.string(), probe.key, probe.name, kBufferSize)), probe.expected)
            << probe.line;
    EXPECT_FALSE(probes.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, RecordedFromWine, testing::ValuesIn(registryExpectationStems()), testNameOf);

TEST(RegistryFile, DataLargerThanTheBufferIsNotRead)
{
    const std::string file = kHeader + "[" + kKey + "]\r\n\"bin\"=hex:01,02,03\r\n\"str\"=\"abc\"\r\n"
                             "\"none\"=hex(0):\r\n\"empty\"=hex(1):\r\n";
    struct Case {
        const char* name;
        std::size_t maxBytes;
        const char* want;
    } cases[] = {
        {"bin", 3, "010203"}, {"bin", 2, "absent"},   {"str", 4, "61626300"}, {"str", 3, "absent"},
        {"none", 0, ""},      {"empty", 0, ""},       {"bin", 0, "absent"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexBytes(lookUp(file, c.name, c.maxBytes)), c.want) << c.name << " in " << c.maxBytes;
}

// The caller's key and value names end at a NUL as the C strings that RegOpenKeyExA takes.
TEST(RegistryFile, CallerNamesAreReadAsTheRegistryFunctionsReadThem)
{
    const std::string file = kHeader + "[HKEY_LOCAL_MACHINE]\r\n\"top\"=\"root\"\r\n[" + kKey +
                             "]\r\n\"v\"=\"app\"\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App]\r\n\"v\"=\"user\"\r\n";
    struct Case {
        std::string key;
        std::string name;
        const char* want;
    } cases[] = {
        {kKey, "v", "61707000"},
        {kKey + std::string("\0tail", 5), std::string("v\0x", 3), "61707000"},
        {"HKEY_LOCAL_MACHINE", "top", "726f6f7400"},
        {"HKEY_LOCAL_MACHINE\\", "top", "726f6f7400"},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App", "v", "7573657200"},
        {"HKLM\\SOFTWARE\\Vendor\\App", "v", "absent"},
        {"HKEY_LOCAL_MACHINEX\\SOFTWARE\\Vendor\\App", "v", "absent"},
        {"", "v", "absent"},
        {kKey, std::string(16384, 'v'), "absent"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexBytes(queryValueIn(file, c.key, c.name, kBufferSize)), c.want) << c.key << " / " << c.name;
}

TEST(RegistryFile, MissingOrUnreadableFilesHoldNothing)
{
    EXPECT_FALSE(queryValue((dataDirectory() / "no-such-file.reg").string(), kKey, "v", kBufferSize));
    EXPECT_FALSE(queryValue(dataDirectory().string(), kKey, "v", kBufferSize));
    EXPECT_FALSE(queryValue("", kKey, "v", kBufferSize));
}

namespace {

// Inputs that the reader must survive, made the same way on every run.
class HostileInputs {
public:
    std::vector<std::string> make()
    {
        std::vector<std::string> inputs;
        for (int i = 0; i < 300; ++i)
            inputs.push_back(randomBytes(_random() % 600));
        for (int i = 0; i < 300; ++i)
            inputs.push_back(randomRegistry(i % 2 == 0));
        for (const std::string& stem : registryExpectationStems())
            addCutsAndFlips(readBinaryFile(dataDirectory() / (stem + ".reg")), inputs);
        addLongLines(inputs);
        for (const char* tail : {"\"v\"=\"open", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App", "\"v\"=hex:41,\\",
                                 "\"v\"=\"a\\", "\\", "\"v\\", "[", "\"v\"=hex(", "\"v\"=hex(2):41,\\\r\n;\r\n",
                                 "\"v\"=hex(ffffffffffffffffffffffffffffff):41", "\"v\"=hex(-99999999999999999999999):41",
                                 "\"v\"=hex:ffffffffffffffffffffffffffffffffff,-fffffffffffffffffffffffffff"})
            inputs.push_back(kHeader + "[" + kKey + "]\r\n" + tail);
        inputs.push_back(std::string("\xFF\xFE", 2) + wide("Windows Registry Editor Version 5.00\r\n[" + kKey + "]\r\n\"v\"=hex(2):41,00,42") + "x");
        return inputs;
    }

private:
    std::string randomBytes(std::size_t size)
    {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(_random());
        if (size >= 2 && _random() % 2)
            bytes.replace(0, 2, "\xFF\xFE");
        return bytes;
    }

    // Lines from the pieces the grammar knows, joined at random, in either encoding.
    std::string randomRegistry(bool utf16)
    {
        static const std::string pieces[] = {"[", "]", "[-", "\"", "\\", "@", "=", "-", ";", ",", " ", "\t", "\r", "\n",
                                             "\r\n", "hex:", "hex(", "):", "dword:", "41", "ffffffffff", "0x", "\\0",
                                             "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App", "HKEY_CLASSES_ROOT", "v",
                                             "\xE4", std::string(1, '\0')};
        std::string text = utf16 ? "" : kHeader;
        for (int n = static_cast<int>(_random() % 200); n > 0; --n)
            text += pieces[_random() % std::size(pieces)];
        return utf16 ? std::string("\xFF\xFE", 2) + wide(kHeader + text) : text;
    }

    void addCutsAndFlips(const std::string& file, std::vector<std::string>& inputs)
    {
        for (int i = 0; i < 20 && !file.empty(); ++i) {
            inputs.push_back(file.substr(0, _random() % file.size()));
            std::string flipped = file;
            for (int k = 0; k < 4; ++k)
                flipped[_random() % flipped.size()] = static_cast<char>(_random());
            inputs.push_back(flipped);
        }
    }

    void addLongLines(std::vector<std::string>& inputs)
    {
        const std::string megabytes(3 << 20, 'a');
        std::string hex;
        for (int i = 0; i < 400000; ++i)
            hex += "41,";
        inputs.push_back(kHeader + "[" + kKey + "]\r\n\"v\"=\"" + megabytes + "\"\r\n");
        inputs.push_back(kHeader + "[" + kKey + "]\r\n\"v\"=\"" + megabytes + std::string(1, '\0') + megabytes + "\"\r\n");
        inputs.push_back(kHeader + "[" + kKey + "]\r\n\"v\"=hex:" + hex + "\\\r\n" + hex + "41\r\n");
        inputs.push_back(kHeader + "[" + kKey + "\\" + megabytes + "]\r\n\"v\"=\"x\"\r\n");
        inputs.push_back(std::string("\xFF\xFE", 2) + wide(kHeader + "\"v\"=\"" + megabytes.substr(0, 1 << 20)) +
                         std::string(1, '\0'));
    }

    static std::string wide(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            out += c;
            out += '\0';
        }
        return out;
    }

    std::mt19937 _random{20240611};
};

} // namespace

// Runs clean under AddressSanitizer and UndefinedBehaviorSanitizer as well.
TEST(RegistryFile, HostileInputNeitherCrashesNorOverreads)
{
    const std::vector<std::string> names = {"v", "", "@", std::string(300, 'v')};
    const std::vector<std::string> keys = {kKey, "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT\\x",
                                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\QzRegTest\\strings"};
    std::size_t turn = 0;
    for (const std::string& input : HostileInputs().make()) {
        // A copy of exactly the input's size lets the sanitizer see any read past its end.
        const std::vector<char> exact(input.begin(), input.end());
        const std::string_view contents(exact.data(), exact.size());
        for (int i = 0; i < 3; ++i, ++turn) {
            const std::string& key = keys[turn % keys.size()];
            const std::string& name = names[turn / keys.size() % names.size()];
            const std::optional<std::string> value = queryValueIn(contents, key, name, kBufferSize);
            EXPECT_LE(value.value_or("").size(), kBufferSize);
        }
    }
}

// The file is read at every lookup, so a large one must stay cheap: one pass, no allocation per line.
TEST(RegistryFile, LargeFileIsReadInOnePassWithoutAllocatingPerLine)
{
    std::string file = kHeader;
    for (int i = 0; file.size() < (50u << 20); ++i)
        file += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Other" + std::to_string(i) +
                "]\r\n\"Name\"=\"some text\"\r\n\"Count\"=dword:00000010\r\n\"Blob\"=hex:01,02,03,04,05,06,07,08,\\\r\n  09,0a\r\n";
    file += "[" + kKey + "]\r\n\"v\"=\"found\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Last]\r\n";

    g_allocations = 0;
    g_countAllocations = true;
    const auto start = std::chrono::steady_clock::now();
    const std::optional<std::string> value = lookUp(file, "v");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    g_countAllocations = false;

    EXPECT_EQ(hexBytes(value), "666f756e6400");
    EXPECT_LT(g_allocations, 20u);
    // The time is reported, not judged: the benchmarks measure it.
    RecordProperty("seconds", std::to_string(seconds));
}
