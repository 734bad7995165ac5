// registry_utf8_reading_test.cpp - UTF-8 export files read in place against the same
// files decoded to UTF-16 first: characters beyond ASCII wherever the syntax meets them
// (names, key paths, numbers, the header, escapes, bytes that are not UTF-8).
#include "support/DecodedReading.h"

#include "platform/registry/RegistryFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qz::regfile::Encoding;
using qz::regfile::inspectIn;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n";

struct Query {
    std::string key;
    std::string name;
};

// Keys and names that the files below spell in several ways.
const Query kQueries[] = {
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\xB8\xD0\xBD\xD1\x81\xD1\x82", "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCF\x82"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\x98\xD0\x9D\xD0\xA1\xD0\xA2", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xE9t\xE9", "v\xE9"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "v"},
    {"HKEY_CLASSES_ROOT\\.\xC3\xA9", ""},
};

// Fragments that lines are made of; a file is a random sequence of them.
const std::vector<std::string> kFragments = {
    // key lines: Cyrillic in both cases, four-byte characters, bytes that are not UTF-8
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\x98\xD0\xBD\xD1\x81\xD1\x82]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\xB8\xD0\xBD\xD1\x81\xD1\x82\\]",
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\x98\xD0\x9D\xD0\xA1\xD0\xA2]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xF0\x9F\x98\x80]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xE9t\xE9]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xC3\xA9t\xC3\xA9]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]",
    "[HKEY_CLASSES_ROOT\\.\xC3\x89]",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xE2\x82]",
    // value lines: names beyond ASCII, escaped ones, four-byte ones
    "\"\xCF\x83\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82\"=\"\xE2\x82\xAC 10\"",
    "\"\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCF\x82\"=\"\\\xE2\x82\xAC\\\\\\\"\"",
    "\"\\\xCF\x83\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82\"=dword:\xEF\xBC\x91\xEF\xBC\x92",
    "\"\xF0\x9F\x98\x80\"=\"\xF0\x9F\x98\x81\"",
    "\"\xF0\x9F\x98\x80\"=hex(\xEF\xBC\x92):41,\xEF\xBC\x90\xEF\xBC\x90",
    "\"v\xE9\"=\"\xE9\xFF\"",
    "\"V\xC3\xA9\"=\"\xC3\xA9\"",
    "\"v\"=hex(\xEF\xBC\x90x1):41,00",
    "\"v\"=hex(\xE3\x80\x80\xEF\xBC\x91):41,42",
    "\"v\"=hex:\xEF\xBC\x94\xEF\xBC\x91,42,\\",
    "  \xEF\xBC\x94\xEF\xBC\x93,44",
    "\"v\"=dword:\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91",
    "\"v\"=dword:\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x91",
    "\"v\"=dword:\xD9\xA1\xD9\xA2",
    "\"v\"=hex(\xD9\xA7):42,00",
    "\"v\"=\"x\" ; \xCF\x83",
    "@=\"\xD0\x98\"",
    "@=-",
    "\"v\"=-",
    "\"\xE2\x82\"=\"\xE2\x82\"",
    "\"v\"=\"\\0\xCF\x83\"",
    // raw characters between fragments
    "\xEF\xBB\xBF",
    "\xE3\x80\x80",
    std::string("\0", 1),
    "\xC3",
    "\xF0\x9F",
};

const std::vector<std::string> kHeaders = {
    kHeader,
    "\xEF\xBB\xBF" + kHeader,
    "REGEDIT4\r\n",
    "REGEDIT\r\n",
    "\xEF\xBC\xB2" "EGEDIT4\n",
    "\xE2\x80\x8BREGEDIT4\n",
    "\xC3\xA9" + kHeader,
    "R\xC3",
};

const std::vector<std::string> kWin31Lines = {
    "HKEY_CLASSES_ROOT\\.\xC3\xA9 = \xC3\xA9t\xC3\xA9",
    "HKEY_CLASSES_ROOT\\.\xC3\xA9\xE3\x80\x80= \xE9",
    "HKEY_CLASSES_ROOT\\.\xC3\x89=\xF0\x9F\x98\x80",
};

const char* const kLineEnds[] = {"\r\n", "\n", "\r", " ", ""};

std::string randomFile(std::mt19937& random)
{
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    std::string text = kHeaders[pick(kHeaders.size())];
    const bool win31 = text.rfind("REGEDIT\r", 0) == 0;
    for (std::size_t lines = pick(12); lines > 0; --lines) {
        if (win31 && pick(2) == 0)
            text += kWin31Lines[pick(kWin31Lines.size())];
        else
            text += kFragments[pick(kFragments.size())];
        text += kLineEnds[pick(std::size(kLineEnds))];
    }
    return text;
}

void expectSameReading(const std::string& contents, const std::string& label)
{
    for (const Query& query : kQueries) {
        const qz::regfile::Inspection inPlace = inspectIn(contents, query.key, query.name, Encoding::Utf8);
        const qz::regfile::Inspection decoded = qztest::inspectDecoded(contents, query.key, query.name);
        ASSERT_TRUE(qztest::sameInspection(inPlace, decoded))
            << label << "\n" << contents << "\nkey " << query.key << ", value " << query.name << ": in place "
            << inPlace.exportFile << inPlace.keyFound << (inPlace.data ? *inPlace.data : "(none)") << ", decoded "
            << decoded.exportFile << decoded.keyFound << (decoded.data ? *decoded.data : "(none)");
    }
}

TEST(RegistryFileUtf8Reading, InPlaceReadsAsTheDecodedFileOnMixedText)
{
    std::mt19937 random(20261209);
    for (int i = 0; i < 20000; ++i)
        expectSameReading(randomFile(random), "file " + std::to_string(i));
}

// The cases above, each found as it is meant to be: a check that the files exercise the
// characters they were made for, which the comparison alone would not show.
TEST(RegistryFileUtf8Reading, CharactersBeyondAsciiTakePartInTheSyntax)
{
    auto get = [](const std::string& body, const Query& query) {
        return inspectIn(kHeader + body, query.key, query.name, Encoding::Utf8).data;
    };
    const Query vendor{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "v"};
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n";
    // Full-width digits are hex digits to dword and to hex(N); a second character 'x'
    // after a full-width zero refuses the type, as after an ASCII one.
    EXPECT_EQ(get(key + "\"v\"=dword:\xEF\xBC\x91\xEF\xBC\x92\n", vendor), std::string("\x12\0\0\0", 4));
    std::string nineDigits;
    for (int i = 0; i < 9; ++i)
        nineDigits += "\xEF\xBC\x91";
    EXPECT_EQ(get(key + "\"v\"=dword:" + nineDigits.substr(3) + "\n", vendor), std::string("\x11\x11\x11\x11", 4));
    EXPECT_EQ(get(key + "\"v\"=dword:" + nineDigits + "\n", vendor), std::nullopt);
    EXPECT_EQ(get(key + "\"v\"=hex(\xEF\xBC\x92):41,42\n", vendor), std::string("AB\0", 3));
    EXPECT_EQ(get(key + "\"v\"=hex(\xEF\xBC\x90x1):41,42\n", vendor), std::nullopt);
    // wcstoul passes over an ideographic space before a number.
    EXPECT_EQ(get(key + "\"v\"=hex(\xE3\x80\x80\xEF\xBC\x93):41\n", vendor), std::string("A", 1));
    // A four-byte character is two units, compared without regard to case like any other.
    const Query smiley{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"};
    EXPECT_EQ(get("[hkey_local_machine\\software\\vendor\\\xF0\x9F\x98\x80]\n\"\\\xF0\x9F\x98\x80\"=\"1\"\n", smiley),
              std::string("1\0", 2));
    // A byte that is not UTF-8 matches only itself and comes back as it was.
    const Query latin{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "v\xE9"};
    EXPECT_EQ(get(key + "\"V\xE9\"=\"\xE9\xFF\"\n\"v\xC3\xA9\"=\"no\"\n", latin), std::string("\xE9\xFF\0", 3));
}

// Key names count UTF-16 units, not bytes: 256 two-byte characters make a key, 257 do not.
TEST(RegistryFileUtf8Reading, KeyNameLimitCountsUnitsOfMultiByteCharacters)
{
    for (std::size_t length : {255, 256, 257}) {
        std::string name;
        for (std::size_t i = 0; i < length; ++i)
            name += "\xD0\x98";
        const std::string file = kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\" + name + "]\n";
        const qz::regfile::Inspection found =
            inspectIn(file, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "v", Encoding::Utf8);
        EXPECT_EQ(found.keyFound, length <= 256) << length;
        expectSameReading(file, "name of " + std::to_string(length));
    }
}

// Every seed of the reader's fuzzer, which holds the hostile shapes found so far.
TEST(RegistryFileUtf8Reading, InPlaceReadsAsTheDecodedFileOnTheFuzzCorpus)
{
    const std::filesystem::path corpus = std::filesystem::path(QZ_SOURCE_DIR) / "fuzz" / "corpus" / "registry_file";
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        // The fuzzer's first byte selects names; the rest is the file.
        const std::string contents = bytes.str().empty() ? std::string() : bytes.str().substr(1);
        expectSameReading(contents, entry.path().filename().string());
        ++files;
    }
    EXPECT_GT(files, 10u);
}

} // namespace
