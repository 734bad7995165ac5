// registry_utf8_reading_test.cpp - UTF-8 export files: characters beyond ASCII wherever
// the syntax meets them (names, key paths, numbers, escapes, bytes that are not UTF-8).
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

// Characters beyond ASCII wherever the syntax meets them, each found as it is meant to be.
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
    }
}

} // namespace
