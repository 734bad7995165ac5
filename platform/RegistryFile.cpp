// RegistryFile.cpp - reads one value from a registry export (.reg) file as regedit /S and RegQueryValueExA would give it.
#include "RegistryFile.h"

#include "FileContents.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <iterator>
#include <limits>
#include <type_traits>
#include <vector>

// The reference is Wine 8 in code page 1252: its regedit import (regproc.c) and its
// registry. Where regedit's own checks are quirky, the quirks are kept, because a file
// must read here exactly as it reads after `regedit /S` on the machines it comes from.
//
// One pass, no allocation per line: the file is viewed as 16-bit characters in place
// (8-bit text through the code-page table, UTF-16 as pairs of bytes), every line is
// parsed to keep regedit's state, and only the position of the last line that set the
// wanted value is remembered; that one value is decoded at the end.
//
// The file stands for the whole registry, so keys that Wine links to one another inside
// HKEY_LOCAL_MACHINE (Wow6432Node, CurrentControlSet, HKEY_CURRENT_CONFIG) are separate
// here; only HKEY_CLASSES_ROOT, which is SOFTWARE\Classes itself, is followed.

namespace qz::regfile {
namespace {

using Unit = char16_t;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// ---- Character tables of Wine's code page 1252 and C runtime ----

// Code page 1252 at 0x80..0x9F; its five unassigned bytes stand for the same code point.
constexpr Unit kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct BestFit {
    Unit unit;
    unsigned char byte;
};

// The "best fit" bytes that RegQueryValueExA gives for characters above U+00FF, sorted;
// every character not listed becomes '?'.
constexpr BestFit kBestFit[] = {
    {0x0100, 0x41}, {0x0101, 0x61}, {0x0102, 0x41}, {0x0103, 0x61}, {0x0104, 0x41}, {0x0105, 0x61}, {0x0106, 0x43},
    {0x0107, 0x63}, {0x0108, 0x43}, {0x0109, 0x63}, {0x010A, 0x43}, {0x010B, 0x63}, {0x010C, 0x43}, {0x010D, 0x63},
    {0x010E, 0x44}, {0x010F, 0x64}, {0x0110, 0xD0}, {0x0111, 0x64}, {0x0112, 0x45}, {0x0113, 0x65}, {0x0114, 0x45},
    {0x0115, 0x65}, {0x0116, 0x45}, {0x0117, 0x65}, {0x0118, 0x45}, {0x0119, 0x65}, {0x011A, 0x45}, {0x011B, 0x65},
    {0x011C, 0x47}, {0x011D, 0x67}, {0x011E, 0x47}, {0x011F, 0x67}, {0x0120, 0x47}, {0x0121, 0x67}, {0x0122, 0x47},
    {0x0123, 0x67}, {0x0124, 0x48}, {0x0125, 0x68}, {0x0126, 0x48}, {0x0127, 0x68}, {0x0128, 0x49}, {0x0129, 0x69},
    {0x012A, 0x49}, {0x012B, 0x69}, {0x012C, 0x49}, {0x012D, 0x69}, {0x012E, 0x49}, {0x012F, 0x69}, {0x0130, 0x49},
    {0x0131, 0x69}, {0x0134, 0x4A}, {0x0135, 0x6A}, {0x0136, 0x4B}, {0x0137, 0x6B}, {0x0139, 0x4C}, {0x013A, 0x6C},
    {0x013B, 0x4C}, {0x013C, 0x6C}, {0x013D, 0x4C}, {0x013E, 0x6C}, {0x0141, 0x4C}, {0x0142, 0x6C}, {0x0143, 0x4E},
    {0x0144, 0x6E}, {0x0145, 0x4E}, {0x0146, 0x6E}, {0x0147, 0x4E}, {0x0148, 0x6E}, {0x014C, 0x4F}, {0x014D, 0x6F},
    {0x014E, 0x4F}, {0x014F, 0x6F}, {0x0150, 0x4F}, {0x0151, 0x6F}, {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0154, 0x52},
    {0x0155, 0x72}, {0x0156, 0x52}, {0x0157, 0x72}, {0x0158, 0x52}, {0x0159, 0x72}, {0x015A, 0x53}, {0x015B, 0x73},
    {0x015C, 0x53}, {0x015D, 0x73}, {0x015E, 0x53}, {0x015F, 0x73}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0162, 0x54},
    {0x0163, 0x74}, {0x0164, 0x54}, {0x0165, 0x74}, {0x0166, 0x54}, {0x0167, 0x74}, {0x0168, 0x55}, {0x0169, 0x75},
    {0x016A, 0x55}, {0x016B, 0x75}, {0x016C, 0x55}, {0x016D, 0x75}, {0x016E, 0x55}, {0x016F, 0x75}, {0x0170, 0x55},
    {0x0171, 0x75}, {0x0172, 0x55}, {0x0173, 0x75}, {0x0174, 0x57}, {0x0175, 0x77}, {0x0176, 0x59}, {0x0177, 0x79},
    {0x0178, 0x9F}, {0x0179, 0x5A}, {0x017A, 0x7A}, {0x017B, 0x5A}, {0x017C, 0x7A}, {0x017D, 0x8E}, {0x017E, 0x9E},
    {0x0180, 0x62}, {0x0189, 0xD0}, {0x0191, 0x83}, {0x0192, 0x83}, {0x0197, 0x49}, {0x019A, 0x6C}, {0x019F, 0x4F},
    {0x01A0, 0x4F}, {0x01A1, 0x6F}, {0x01AB, 0x74}, {0x01AE, 0x54}, {0x01AF, 0x55}, {0x01B0, 0x75}, {0x01B6, 0x7A},
    {0x01C0, 0x7C}, {0x01C3, 0x21}, {0x01CD, 0x41}, {0x01CE, 0x61}, {0x01CF, 0x49}, {0x01D0, 0x69}, {0x01D1, 0x4F},
    {0x01D2, 0x6F}, {0x01D3, 0x55}, {0x01D4, 0x75}, {0x01D5, 0x55}, {0x01D6, 0x75}, {0x01D7, 0x55}, {0x01D8, 0x75},
    {0x01D9, 0x55}, {0x01DA, 0x75}, {0x01DB, 0x55}, {0x01DC, 0x75}, {0x01DE, 0x41}, {0x01DF, 0x61}, {0x01E4, 0x47},
    {0x01E5, 0x67}, {0x01E6, 0x47}, {0x01E7, 0x67}, {0x01E8, 0x4B}, {0x01E9, 0x6B}, {0x01EA, 0x4F}, {0x01EB, 0x6F},
    {0x01EC, 0x4F}, {0x01ED, 0x6F}, {0x01F0, 0x6A}, {0x0261, 0x67}, {0x02B9, 0x27}, {0x02BA, 0x22}, {0x02BC, 0x27},
    {0x02C4, 0x5E}, {0x02C6, 0x88}, {0x02C8, 0x27}, {0x02C9, 0xAF}, {0x02CA, 0xB4}, {0x02CB, 0x60}, {0x02CD, 0x5F},
    {0x02DA, 0xB0}, {0x02DC, 0x98}, {0x0300, 0x60}, {0x0301, 0xB4}, {0x0302, 0x5E}, {0x0303, 0x7E}, {0x0304, 0xAF},
    {0x0305, 0xAF}, {0x0308, 0xA8}, {0x030A, 0xB0}, {0x030E, 0x22}, {0x0327, 0xB8}, {0x0331, 0x5F}, {0x0332, 0x5F},
    {0x037E, 0x3B}, {0x0393, 0x47}, {0x0398, 0x54}, {0x03A3, 0x53}, {0x03A6, 0x46}, {0x03A9, 0x4F}, {0x03B1, 0x61},
    {0x03B2, 0xDF}, {0x03B4, 0x64}, {0x03B5, 0x65}, {0x03BC, 0xB5}, {0x03C0, 0x70}, {0x03C3, 0x73}, {0x03C4, 0x74},
    {0x03C6, 0x66}, {0x04BB, 0x68}, {0x0589, 0x3A}, {0x066A, 0x25}, {0x2000, 0x20}, {0x2001, 0x20}, {0x2002, 0x20},
    {0x2003, 0x20}, {0x2004, 0x20}, {0x2005, 0x20}, {0x2006, 0x20}, {0x2010, 0x2D}, {0x2011, 0x2D}, {0x2013, 0x96},
    {0x2014, 0x97}, {0x2017, 0x3D}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82}, {0x201C, 0x93}, {0x201D, 0x94},
    {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95}, {0x2024, 0xB7}, {0x2026, 0x85}, {0x2030, 0x89},
    {0x2032, 0x27}, {0x2035, 0x60}, {0x2039, 0x8B}, {0x203A, 0x9B}, {0x2044, 0x2F}, {0x2070, 0xB0}, {0x2074, 0x34},
    {0x2075, 0x35}, {0x2076, 0x36}, {0x2077, 0x37}, {0x2078, 0x38}, {0x207F, 0x6E}, {0x2080, 0x30}, {0x2081, 0x31},
    {0x2082, 0x32}, {0x2083, 0x33}, {0x2084, 0x34}, {0x2085, 0x35}, {0x2086, 0x36}, {0x2087, 0x37}, {0x2088, 0x38},
    {0x2089, 0x39}, {0x20A1, 0xA2}, {0x20A4, 0xA3}, {0x20A7, 0x50}, {0x20AC, 0x80}, {0x2102, 0x43}, {0x2107, 0x45},
    {0x210A, 0x67}, {0x210B, 0x48}, {0x210C, 0x48}, {0x210D, 0x48}, {0x210E, 0x68}, {0x2110, 0x49}, {0x2111, 0x49},
    {0x2112, 0x4C}, {0x2113, 0x6C}, {0x2115, 0x4E}, {0x2118, 0x50}, {0x2119, 0x50}, {0x211A, 0x51}, {0x211B, 0x52},
    {0x211C, 0x52}, {0x211D, 0x52}, {0x2122, 0x99}, {0x2124, 0x5A}, {0x2128, 0x5A}, {0x212A, 0x4B}, {0x212B, 0xC5},
    {0x212C, 0x42}, {0x212D, 0x43}, {0x212E, 0x65}, {0x212F, 0x65}, {0x2130, 0x45}, {0x2131, 0x46}, {0x2133, 0x4D},
    {0x2134, 0x6F}, {0x2205, 0xD8}, {0x2212, 0x2D}, {0x2213, 0xB1}, {0x2215, 0x2F}, {0x2216, 0x5C}, {0x2217, 0x2A},
    {0x2218, 0xB0}, {0x2219, 0xB7}, {0x221A, 0x76}, {0x221E, 0x38}, {0x2223, 0x7C}, {0x2229, 0x6E}, {0x2236, 0x3A},
    {0x223C, 0x7E}, {0x2248, 0x98}, {0x2261, 0x3D}, {0x2264, 0x3D}, {0x2265, 0x3D}, {0x226A, 0xAB}, {0x226B, 0xBB},
    {0x22C5, 0xB7}, {0x2302, 0xA6}, {0x2303, 0x5E}, {0x2310, 0xAC}, {0x2320, 0x28}, {0x2321, 0x29}, {0x2329, 0x3C},
    {0x232A, 0x3E}, {0x2500, 0x2D}, {0x2502, 0xA6}, {0x250C, 0x2B}, {0x2510, 0x2B}, {0x2514, 0x2B}, {0x2518, 0x2B},
    {0x251C, 0x2B}, {0x2524, 0xA6}, {0x252C, 0x2D}, {0x2534, 0x2D}, {0x253C, 0x2B}, {0x2550, 0x2D}, {0x2551, 0xA6},
    {0x2552, 0x2B}, {0x2553, 0x2B}, {0x2554, 0x2B}, {0x2555, 0x2B}, {0x2556, 0x2B}, {0x2557, 0x2B}, {0x2558, 0x2B},
    {0x2559, 0x2B}, {0x255A, 0x2B}, {0x255B, 0x2B}, {0x255C, 0x2B}, {0x255D, 0x2B}, {0x255E, 0xA6}, {0x255F, 0xA6},
    {0x2560, 0xA6}, {0x2561, 0xA6}, {0x2562, 0xA6}, {0x2563, 0xA6}, {0x2564, 0x2D}, {0x2565, 0x2D}, {0x2566, 0x2D},
    {0x2567, 0x2D}, {0x2568, 0x2D}, {0x2569, 0x2D}, {0x256A, 0x2B}, {0x256B, 0x2B}, {0x256C, 0x2B}, {0x2580, 0xAF},
    {0x2584, 0x5F}, {0x2588, 0xA6}, {0x258C, 0xA6}, {0x2590, 0xA6}, {0x2591, 0xA6}, {0x2592, 0xA6}, {0x2593, 0xA6},
    {0x25A0, 0xA6}, {0x263C, 0xA4}, {0x2758, 0x7C}, {0x3000, 0x20}, {0x3008, 0x3C}, {0x3009, 0x3E}, {0x300A, 0xAB},
    {0x300B, 0xBB}, {0x301A, 0x5B}, {0x301B, 0x5D}, {0x30FB, 0xB7}, {0xFF01, 0x21}, {0xFF02, 0x22}, {0xFF03, 0x23},
    {0xFF04, 0x24}, {0xFF05, 0x25}, {0xFF06, 0x26}, {0xFF07, 0x27}, {0xFF08, 0x28}, {0xFF09, 0x29}, {0xFF0A, 0x2A},
    {0xFF0B, 0x2B}, {0xFF0C, 0x2C}, {0xFF0D, 0x2D}, {0xFF0E, 0x2E}, {0xFF0F, 0x2F}, {0xFF10, 0x30}, {0xFF11, 0x31},
    {0xFF12, 0x32}, {0xFF13, 0x33}, {0xFF14, 0x34}, {0xFF15, 0x35}, {0xFF16, 0x36}, {0xFF17, 0x37}, {0xFF18, 0x38},
    {0xFF19, 0x39}, {0xFF1A, 0x3A}, {0xFF1B, 0x3B}, {0xFF1C, 0x3C}, {0xFF1D, 0x3D}, {0xFF1E, 0x3E}, {0xFF20, 0x40},
    {0xFF21, 0x41}, {0xFF22, 0x42}, {0xFF23, 0x43}, {0xFF24, 0x44}, {0xFF25, 0x45}, {0xFF26, 0x46}, {0xFF27, 0x47},
    {0xFF28, 0x48}, {0xFF29, 0x49}, {0xFF2A, 0x4A}, {0xFF2B, 0x4B}, {0xFF2C, 0x4C}, {0xFF2D, 0x4D}, {0xFF2E, 0x4E},
    {0xFF2F, 0x4F}, {0xFF30, 0x50}, {0xFF31, 0x51}, {0xFF32, 0x52}, {0xFF33, 0x53}, {0xFF34, 0x54}, {0xFF35, 0x55},
    {0xFF36, 0x56}, {0xFF37, 0x57}, {0xFF38, 0x58}, {0xFF39, 0x59}, {0xFF3A, 0x5A}, {0xFF3B, 0x5B}, {0xFF3C, 0x5C},
    {0xFF3D, 0x5D}, {0xFF3E, 0x5E}, {0xFF3F, 0x5F}, {0xFF40, 0x60}, {0xFF41, 0x61}, {0xFF42, 0x62}, {0xFF43, 0x63},
    {0xFF44, 0x64}, {0xFF45, 0x65}, {0xFF46, 0x66}, {0xFF47, 0x67}, {0xFF48, 0x68}, {0xFF49, 0x69}, {0xFF4A, 0x6A},
    {0xFF4B, 0x6B}, {0xFF4C, 0x6C}, {0xFF4D, 0x6D}, {0xFF4E, 0x6E}, {0xFF4F, 0x6F}, {0xFF50, 0x70}, {0xFF51, 0x71},
    {0xFF52, 0x72}, {0xFF53, 0x73}, {0xFF54, 0x74}, {0xFF55, 0x75}, {0xFF56, 0x76}, {0xFF57, 0x77}, {0xFF58, 0x78},
    {0xFF59, 0x79}, {0xFF5A, 0x7A}, {0xFF5B, 0x7B}, {0xFF5C, 0x7C}, {0xFF5D, 0x7D}, {0xFF5E, 0x7E},
};

struct UnitRange {
    Unit first;
    Unit last;
};

// The characters that lstrcmpW passes over as if absent; regedit compares the header
// line with it, so a header with any of these in it still counts.
constexpr UnitRange kSortIgnorable[] = {
    {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x0378, 0x0379}, {0x037F, 0x0383}, {0x038B, 0x038B}, {0x038D, 0x038D},
    {0x03A2, 0x03A2}, {0x0524, 0x0525}, {0x0528, 0x0530}, {0x0557, 0x0558}, {0x0560, 0x0560}, {0x0588, 0x0588},
    {0x058B, 0x0590}, {0x05C8, 0x05CF}, {0x05EB, 0x05EF}, {0x05F5, 0x05FF}, {0x0604, 0x0605}, {0x061C, 0x061D},
    {0x0640, 0x0640}, {0x070E, 0x070E}, {0x074B, 0x074C}, {0x07B2, 0x07BF}, {0x07FB, 0x07FF}, {0x082E, 0x082F},
    {0x083F, 0x083F}, {0x085C, 0x085D}, {0x085F, 0x0900}, {0x0978, 0x0978}, {0x0980, 0x0980}, {0x0984, 0x0984},
    {0x098D, 0x098E}, {0x0991, 0x0992}, {0x09A9, 0x09A9}, {0x09B1, 0x09B1}, {0x09B3, 0x09B5}, {0x09BA, 0x09BB},
    {0x09C5, 0x09C6}, {0x09C9, 0x09CA}, {0x09CF, 0x09D6}, {0x09D8, 0x09DB}, {0x09DE, 0x09DE}, {0x09E4, 0x09E5},
    {0x09FB, 0x0A00}, {0x0A04, 0x0A04}, {0x0A0B, 0x0A0E}, {0x0A11, 0x0A12}, {0x0A29, 0x0A29}, {0x0A31, 0x0A31},
    {0x0A34, 0x0A34}, {0x0A37, 0x0A37}, {0x0A3A, 0x0A3B}, {0x0A3D, 0x0A3D}, {0x0A43, 0x0A46}, {0x0A49, 0x0A4A},
    {0x0A4E, 0x0A50}, {0x0A52, 0x0A58}, {0x0A5D, 0x0A5D}, {0x0A5F, 0x0A65}, {0x0A76, 0x0A80}, {0x0A84, 0x0A84},
    {0x0A8E, 0x0A8E}, {0x0A92, 0x0A92}, {0x0AA9, 0x0AA9}, {0x0AB1, 0x0AB1}, {0x0AB4, 0x0AB4}, {0x0ABA, 0x0ABB},
    {0x0AC6, 0x0AC6}, {0x0ACA, 0x0ACA}, {0x0ACE, 0x0ACF}, {0x0AD1, 0x0ADF}, {0x0AE4, 0x0AE5}, {0x0AF0, 0x0AF0},
    {0x0AF2, 0x0B00}, {0x0B04, 0x0B04}, {0x0B0D, 0x0B0E}, {0x0B11, 0x0B12}, {0x0B29, 0x0B29}, {0x0B31, 0x0B31},
    {0x0B34, 0x0B34}, {0x0B3A, 0x0B3B}, {0x0B45, 0x0B46}, {0x0B49, 0x0B4A}, {0x0B4E, 0x0B55}, {0x0B58, 0x0B5B},
    {0x0B5E, 0x0B5E}, {0x0B64, 0x0B65}, {0x0B78, 0x0B81}, {0x0B84, 0x0B84}, {0x0B8B, 0x0B8D}, {0x0B91, 0x0B91},
    {0x0B96, 0x0B98}, {0x0B9B, 0x0B9B}, {0x0B9D, 0x0B9D}, {0x0BA0, 0x0BA2}, {0x0BA5, 0x0BA7}, {0x0BAB, 0x0BAD},
    {0x0BBA, 0x0BBD}, {0x0BC3, 0x0BC5}, {0x0BC9, 0x0BC9}, {0x0BCE, 0x0BCF}, {0x0BD1, 0x0BD6}, {0x0BD8, 0x0BE5},
    {0x0BFB, 0x0C00}, {0x0C04, 0x0C04}, {0x0C0D, 0x0C0D}, {0x0C11, 0x0C11}, {0x0C29, 0x0C29}, {0x0C34, 0x0C34},
    {0x0C3A, 0x0C3C}, {0x0C45, 0x0C45}, {0x0C49, 0x0C49}, {0x0C4E, 0x0C54}, {0x0C57, 0x0C57}, {0x0C5A, 0x0C5F},
    {0x0C64, 0x0C65}, {0x0C70, 0x0C77}, {0x0C80, 0x0C81}, {0x0C84, 0x0C84}, {0x0C8D, 0x0C8D}, {0x0C91, 0x0C91},
    {0x0CA9, 0x0CA9}, {0x0CB4, 0x0CB4}, {0x0CBA, 0x0CBB}, {0x0CC5, 0x0CC5}, {0x0CC9, 0x0CC9}, {0x0CCE, 0x0CD4},
    {0x0CD7, 0x0CDD}, {0x0CDF, 0x0CDF}, {0x0CE4, 0x0CE5}, {0x0CF0, 0x0CF0}, {0x0CF3, 0x0D01}, {0x0D04, 0x0D04},
    {0x0D0D, 0x0D0D}, {0x0D11, 0x0D11}, {0x0D3B, 0x0D3C}, {0x0D45, 0x0D45}, {0x0D49, 0x0D49}, {0x0D4F, 0x0D56},
    {0x0D58, 0x0D5F}, {0x0D64, 0x0D65}, {0x0D76, 0x0D78}, {0x0D80, 0x0D81}, {0x0D84, 0x0D84}, {0x0D97, 0x0D99},
    {0x0DB2, 0x0DB2}, {0x0DBC, 0x0DBC}, {0x0DBE, 0x0DBF}, {0x0DC7, 0x0DC9}, {0x0DCB, 0x0DCE}, {0x0DD5, 0x0DD5},
    {0x0DD7, 0x0DD7}, {0x0DE0, 0x0DF1}, {0x0DF5, 0x0E00}, {0x0E3B, 0x0E3E}, {0x0E5C, 0x0E80}, {0x0E83, 0x0E83},
    {0x0E85, 0x0E86}, {0x0E89, 0x0E89}, {0x0E8B, 0x0E8C}, {0x0E8E, 0x0E93}, {0x0E98, 0x0E98}, {0x0EA0, 0x0EA0},
    {0x0EA4, 0x0EA4}, {0x0EA6, 0x0EA6}, {0x0EA8, 0x0EA9}, {0x0EAC, 0x0EAC}, {0x0EBA, 0x0EBA}, {0x0EBE, 0x0EBF},
    {0x0EC5, 0x0EC5}, {0x0EC7, 0x0EC7}, {0x0ECC, 0x0ECC}, {0x0ECE, 0x0ECF}, {0x0EDA, 0x0EDB}, {0x0EDE, 0x0EFF},
    {0x0F48, 0x0F48}, {0x0F6D, 0x0F70}, {0x0F98, 0x0F98}, {0x0FBD, 0x0FBD}, {0x0FCD, 0x0FCD}, {0x0FDB, 0x0FFF},
    {0x10C6, 0x10CF}, {0x10FD, 0x10FF}, {0x1249, 0x1249}, {0x124E, 0x124F}, {0x1257, 0x1257}, {0x1259, 0x1259},
    {0x125E, 0x125F}, {0x1289, 0x1289}, {0x128E, 0x128F}, {0x12B1, 0x12B1}, {0x12B6, 0x12B7}, {0x12BF, 0x12BF},
    {0x12C1, 0x12C1}, {0x12C6, 0x12C7}, {0x12D7, 0x12D7}, {0x1311, 0x1311}, {0x1316, 0x1317}, {0x135B, 0x135C},
    {0x137D, 0x137F}, {0x139A, 0x139F}, {0x13F5, 0x13FF}, {0x169D, 0x169F}, {0x16F1, 0x16FF}, {0x170D, 0x170D},
    {0x1715, 0x171F}, {0x1737, 0x173F}, {0x1754, 0x175F}, {0x176D, 0x176D}, {0x1771, 0x1771}, {0x1774, 0x177F},
    {0x17DE, 0x17DF}, {0x17EA, 0x17EF}, {0x17FA, 0x17FF}, {0x1806, 0x1806}, {0x180B, 0x180D}, {0x180F, 0x180F},
    {0x181A, 0x181F}, {0x1878, 0x187F}, {0x18AB, 0x18AF}, {0x18F6, 0x18FF}, {0x191D, 0x191F}, {0x192C, 0x192F},
    {0x193C, 0x193F}, {0x1941, 0x1943}, {0x196E, 0x196F}, {0x1975, 0x197F}, {0x19AC, 0x19AF}, {0x19CA, 0x19CF},
    {0x19DB, 0x19DD}, {0x1A1C, 0x1A1D}, {0x1A5F, 0x1A5F}, {0x1A7D, 0x1A7E}, {0x1A8A, 0x1A8F}, {0x1A9A, 0x1A9F},
    {0x1AAE, 0x1AFF}, {0x1B4C, 0x1B4F}, {0x1B7D, 0x1B7F}, {0x1BAB, 0x1BAD}, {0x1BBA, 0x1BBF}, {0x1BF4, 0x1BFB},
    {0x1C38, 0x1C3A}, {0x1C4A, 0x1C4C}, {0x1C80, 0x1CCF}, {0x1CF3, 0x1CFF}, {0x1DCA, 0x1DCA}, {0x1DE7, 0x1DFB},
    {0x1DFF, 0x1DFF}, {0x1F16, 0x1F17}, {0x1F1E, 0x1F1F}, {0x1F46, 0x1F47}, {0x1F4E, 0x1F4F}, {0x1F58, 0x1F58},
    {0x1F5A, 0x1F5A}, {0x1F5C, 0x1F5C}, {0x1F5E, 0x1F5E}, {0x1F7E, 0x1F7F}, {0x1FB5, 0x1FB5}, {0x1FC5, 0x1FC5},
    {0x1FD4, 0x1FD5}, {0x1FDC, 0x1FDC}, {0x1FF0, 0x1FF1}, {0x1FF5, 0x1FF5}, {0x1FFF, 0x1FFF}, {0x200C, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x206F}, {0x2072, 0x2073}, {0x208F, 0x208F}, {0x209D, 0x209F}, {0x20B6, 0x20B8},
    {0x20BB, 0x20CF}, {0x20F1, 0x20FF}, {0x218A, 0x218F}, {0x23F4, 0x23FF}, {0x2427, 0x243F}, {0x244B, 0x245F},
    {0x26BD, 0x26BF}, {0x2700, 0x2700}, {0x2795, 0x2797}, {0x27B0, 0x27B0}, {0x27BF, 0x27BF}, {0x27CB, 0x27CB},
    {0x27CD, 0x27CD}, {0x2B4D, 0x2B4F}, {0x2B5A, 0x2BFF}, {0x2C2F, 0x2C2F}, {0x2C5F, 0x2C5F}, {0x2CF2, 0x2CF8},
    {0x2D26, 0x2D2F}, {0x2D66, 0x2D6E}, {0x2D71, 0x2D7E}, {0x2D97, 0x2D9F}, {0x2DA7, 0x2DA7}, {0x2DAF, 0x2DAF},
    {0x2DB7, 0x2DB7}, {0x2DBF, 0x2DBF}, {0x2DC7, 0x2DC7}, {0x2DCF, 0x2DCF}, {0x2DD7, 0x2DD7}, {0x2DDF, 0x2DDF},
    {0x2E32, 0x2E7F}, {0x2E9A, 0x2E9A}, {0x2EF4, 0x2EFF}, {0x2FD6, 0x2FEF}, {0x2FFC, 0x2FFF}, {0x3040, 0x3040},
    {0x3097, 0x3098}, {0x3100, 0x3104}, {0x312E, 0x3130}, {0x318F, 0x3191}, {0x31BB, 0x31BF}, {0x31E4, 0x31EF},
    {0x321F, 0x321F}, {0x32FF, 0x32FF}, {0x4DB6, 0x4DBF}, {0x9FCC, 0x9FFF}, {0xA48D, 0xA48F}, {0xA4C7, 0xA4CF},
    {0xA62C, 0xA63F}, {0xA660, 0xA661}, {0xA674, 0xA67B}, {0xA698, 0xA69F}, {0xA6F8, 0xA6FF}, {0xA78F, 0xA78F},
    {0xA792, 0xA79F}, {0xA7AA, 0xA7F9}, {0xA82C, 0xA82F}, {0xA836, 0xA83F}, {0xA878, 0xA87F}, {0xA8C5, 0xA8CD},
    {0xA8DA, 0xA8F1}, {0xA8F8, 0xA8FA}, {0xA8FC, 0xA8FF}, {0xA954, 0xA95E}, {0xA97D, 0xA97F}, {0xA9CE, 0xA9CE},
    {0xA9DA, 0xA9DD}, {0xA9E0, 0xA9FF}, {0xAA37, 0xAA3F}, {0xAA4E, 0xAA4F}, {0xAA5A, 0xAA5B}, {0xAA7C, 0xAA7F},
    {0xAAC3, 0xAADA}, {0xAAE0, 0xAB00}, {0xAB07, 0xAB08}, {0xAB0F, 0xAB10}, {0xAB17, 0xAB1F}, {0xAB27, 0xAB27},
    {0xAB2F, 0xABBF}, {0xABEE, 0xABEF}, {0xABFA, 0xABFF}, {0xD7A4, 0xD7AF}, {0xD7C7, 0xD7CA}, {0xD7FC, 0xD7FF},
    {0xD880, 0xDB7F}, {0xFA2E, 0xFA2F}, {0xFA6E, 0xFA6F}, {0xFADA, 0xFAFF}, {0xFB07, 0xFB12}, {0xFB18, 0xFB1C},
    {0xFB37, 0xFB37}, {0xFB3D, 0xFB3D}, {0xFB3F, 0xFB3F}, {0xFB42, 0xFB42}, {0xFB45, 0xFB45}, {0xFBB2, 0xFBD2},
    {0xFD40, 0xFD4F}, {0xFD90, 0xFD91}, {0xFDC8, 0xFDEF}, {0xFDFE, 0xFE0F}, {0xFE1A, 0xFE1F}, {0xFE27, 0xFE2F},
    {0xFE53, 0xFE53}, {0xFE67, 0xFE67}, {0xFE6C, 0xFE6F}, {0xFE75, 0xFE75}, {0xFEFD, 0xFF00}, {0xFFBF, 0xFFC1},
    {0xFFC8, 0xFFC9}, {0xFFD0, 0xFFD1}, {0xFFD8, 0xFFD9}, {0xFFDD, 0xFFDF}, {0xFFE7, 0xFFE7}, {0xFFEF, 0xFFFF},
};

Unit fromCp1252(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : Unit{c};
}

char toCp1252(Unit c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (c < 0xA0 && kCp1252High[c - 0x80] == c))
        return static_cast<char>(c);
    const BestFit* end = std::end(kBestFit);
    const BestFit* fit = std::lower_bound(std::begin(kBestFit), end, c,
                                          [](const BestFit& entry, Unit unit) { return entry.unit < unit; });
    return fit != end && fit->unit == c ? static_cast<char>(fit->byte) : '?';
}

// Key and value names compare as the registry upper-cases them; only the pairs that can
// meet a name given in code page 1252 matter.
Unit foldCase(Unit c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<Unit>(c - 0x20);
    switch (c) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    case 0x192: return 0x191;
    default: return c;
    }
}

bool isBlank(Unit c)
{
    return c == ' ' || c == '\t';
}

// iswspace, which wcstoul skips before a number.
bool isSpace(Unit c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isAsciiHexDigit(Unit c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// iswxdigit: ASCII hex digits and their full-width forms.
bool isHexDigit(Unit c)
{
    return isAsciiHexDigit(c) || (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF26) || (c >= 0xFF41 && c <= 0xFF46);
}

// The digit that wcstoul reads in c: ASCII letters count up to 35, and the decimal
// digits of seventeen scripts count too. -1 when c is no digit.
int digitValue(Unit c)
{
    static constexpr Unit zeros[] = {0x660, 0x6F0, 0x966, 0x9E6, 0xA66, 0xAE6, 0xB66, 0xC66, 0xCE6,
                                     0xD66, 0xE50, 0xED0, 0xF20, 0x1040, 0x17E0, 0x1810, 0xFF10};
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c < zeros[0])
        return -1;
    for (Unit zero : zeros)
        if (c >= zero && c <= zero + 9)
            return c - zero;
    return -1;
}

int hexDigitValue(Unit c)
{
    const int value = digitValue(c);
    return value < 16 ? value : -1;
}

bool isSortIgnorable(Unit c)
{
    const UnitRange* end = std::end(kSortIgnorable);
    const UnitRange* range = std::lower_bound(std::begin(kSortIgnorable), end, c,
                                              [](const UnitRange& r, Unit unit) { return r.last < unit; });
    return range != end && range->first <= c;
}

// Characters that lstrcmpW weighs exactly like an ASCII character of the headers.
Unit sortEquivalent(Unit c)
{
    switch (c) {
    case 0x01BD: return '5';
    case 0x2024: return '.';
    case 0x205F: return ' ';
    default: return c;
    }
}

unsigned char asciiLower(Unit c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
}

// ---- The file as 16-bit characters ----

// 8-bit text, decoded with code page 1252 as regedit decodes each line.
class NarrowText {
public:
    explicit NarrowText(std::string_view bytes) : _bytes(bytes) {}
    std::size_t size() const { return _bytes.size(); }
    Unit operator[](std::size_t i) const { return fromCp1252(static_cast<unsigned char>(_bytes[i])); }
    std::size_t lineEnd(std::size_t from) const
    {
        const char* p = _bytes.data() + from;
        const char* end = _bytes.data() + _bytes.size();
        while (p != end && *p != '\r' && *p != '\n')
            ++p;
        return static_cast<std::size_t>(p - _bytes.data());
    }
    // regedit reads the first two bytes apart from the lines, so they never end one.
    static constexpr std::size_t kLinesFrom = 2;

private:
    std::string_view _bytes;
};

// UTF-16LE after the byte-order mark; a last odd byte is never read.
class WideText {
public:
    explicit WideText(std::string_view bytes) : _bytes(bytes.substr(2)) {}
    std::size_t size() const { return _bytes.size() / 2; }
    Unit operator[](std::size_t i) const
    {
        return static_cast<Unit>(static_cast<unsigned char>(_bytes[2 * i]) |
                                 static_cast<unsigned char>(_bytes[2 * i + 1]) << 8);
    }
    std::size_t lineEnd(std::size_t from) const
    {
        while (from < size() && (*this)[from] != '\r' && (*this)[from] != '\n')
            ++from;
        return from;
    }
    static constexpr std::size_t kLinesFrom = 0;

private:
    std::string_view _bytes;
};

struct Line {
    std::size_t begin;
    std::size_t end;
};

// Lines end at CR, LF or CR LF; the last one needs no end.
template <class Text>
class LineReader {
public:
    LineReader(const Text& text, std::size_t from) : _text(text), _next(from) {}

    bool next(Line& line)
    {
        if (_next == kNone)
            return false;
        const std::size_t size = _text.size();
        const std::size_t end = _text.lineEnd(_next);
        line = {_next, end};
        if (end == size)
            _next = kNone;
        else
            _next = end + (_text[end] == '\r' && end + 1 < size && _text[end + 1] == '\n' ? 2 : 1);
        return true;
    }
    std::size_t position() const { return _next; }

private:
    const Text& _text;
    std::size_t _next;
};

// regedit reads lines through a buffer with C string functions, so a NUL character ends
// the text of its line and the rest of that buffer load is lost. This replays that
// reading and returns the text it yields (the two lead bytes, then the lines, each ended
// by LF), which then parses like any file without NUL. Only files with a NUL need it.
std::string replayLineBuffer(std::string_view contents, bool wide)
{
    const std::size_t unitSize = wide ? 2 : 1;
    std::size_t filePos = 2;
    auto read = [&](Unit* into, std::size_t count) {
        const std::size_t n = std::min(count, (contents.size() - filePos) / unitSize);
        for (std::size_t i = 0; i < n; ++i, filePos += unitSize)
            into[i] = wide ? static_cast<Unit>(static_cast<unsigned char>(contents[filePos]) |
                                               static_cast<unsigned char>(contents[filePos + 1]) << 8)
                           : static_cast<Unit>(static_cast<unsigned char>(contents[filePos]));
        return n;
    };
    std::string out(contents.substr(0, 2));
    auto emit = [&](const Unit* text, std::size_t length) {
        for (std::size_t i = 0; i <= length; ++i) {
            const Unit c = i < length ? text[i] : Unit{'\n'};
            out += static_cast<char>(c & 0xFF);
            if (wide)
                out += static_cast<char>(c >> 8);
        }
    };
    std::size_t capacity = 4096;
    std::vector<Unit> buffer(capacity, 0);
    std::size_t next = 0;
    for (;;) {
        std::size_t end = next;
        while (buffer[end] != 0 && buffer[end] != '\r' && buffer[end] != '\n')
            ++end;
        if (buffer[end] == 0) {
            const std::size_t length = end - next;
            if (next != 0)
                std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(next),
                          buffer.begin() + static_cast<std::ptrdiff_t>(end + 1), buffer.begin());
            if (capacity - length < 3) {
                capacity *= 2;
                buffer.resize(capacity);
            }
            const std::size_t count = read(buffer.data() + length, capacity - length - 1);
            if (count == 0) {
                emit(buffer.data(), length);
                return out;
            }
            buffer[length + count] = 0;
            next = 0;
            continue;
        }
        emit(buffer.data() + next, end - next);
        next = end + (buffer[end] == '\r' && buffer[end + 1] == '\n' ? 2 : 1);
    }
}

bool containsNul(std::string_view contents, bool wide)
{
    if (!wide)
        return contents.find('\0', 2) != std::string_view::npos;
    // Four characters at a time: a zero 16-bit lane borrows into its top bit.
    constexpr std::uint64_t ones = 0x0001000100010001;
    constexpr std::uint64_t tops = 0x8000800080008000;
    std::size_t i = 2;
    for (; i + 8 <= contents.size(); i += 8) {
        std::uint64_t lanes;
        std::memcpy(&lanes, contents.data() + i, 8);
        if (((lanes - ones) & ~lanes & tops) != 0)
            break;
    }
    for (; i + 1 < contents.size(); i += 2)
        if (contents[i] == 0 && contents[i + 1] == 0)
            return true;
    return false;
}

// ---- Key paths ----

enum class Root { LocalMachine, Users, ClassesRoot, CurrentConfig, CurrentUser, DynData, None };

constexpr std::string_view kRootNames[] = {"hkey_local_machine", "hkey_users", "hkey_classes_root",
                                           "hkey_current_config", "hkey_current_user", "hkey_dyn_data"};

// The longest key name the registry creates or opens, in characters.
constexpr std::size_t kMaxKeyName = 256;
// RegOpenKeyExA converts the path into a buffer of MAX_PATH + 1 characters.
constexpr std::size_t kMaxOpenPathA = 260;

// The root that a path names (compared like _wcsnicmp, ASCII only) and where the part
// below it starts (after the first backslash, or kNone when there is none).
template <class Text>
Root parseRoot(const Text& text, std::size_t begin, std::size_t end, std::size_t& below)
{
    for (std::size_t r = 0; r < std::size(kRootNames); ++r) {
        const std::string_view name = kRootNames[r];
        if (end - begin < name.size())
            continue;
        std::size_t i = 0;
        while (i < name.size() && asciiLower(text[begin + i]) == static_cast<unsigned char>(name[i]))
            ++i;
        if (i < name.size())
            continue;
        const std::size_t after = begin + name.size();
        if (after != end && text[after] != '\\')
            continue;
        below = after == end ? kNone : after + 1;
        return static_cast<Root>(r);
    }
    return Root::None;
}

// A key as the names below a root, upper-cased for comparison.
struct KeyView {
    Root root;
    std::vector<std::u16string> names;
};

// How a key path in the file stands to the wanted key.
struct PathMatch {
    bool valid = false;     // the registry accepts the path
    std::size_t names = 0;  // names in the path
    std::size_t equal = 0;  // leading names equal to the wanted key's
};

// Splits the path below a root at backslashes; runs of them and trailing ones count as
// one, as the registry reads paths, but a leading one makes the path invalid.
template <class Text>
PathMatch matchPath(const Text& text, std::size_t begin, std::size_t end, const KeyView& want)
{
    PathMatch match;
    if (begin < end && text[begin] == '\\')
        return match;
    bool diverged = false;
    std::size_t i = begin;
    while (i < end) {
        while (i < end && text[i] == '\\')
            ++i;
        if (i == end)
            break;
        const std::size_t start = i;
        while (i < end && text[i] != '\\')
            ++i;
        const std::size_t length = i - start;
        if (length > kMaxKeyName)
            return match;
        if (!diverged && match.names < want.names.size() && want.names[match.names].size() == length) {
            const std::u16string& name = want.names[match.names];
            std::size_t k = 0;
            while (k < length && foldCase(text[start + k]) == name[k])
                ++k;
            diverged = k < length;
        } else {
            diverged = true;
        }
        if (!diverged)
            ++match.equal;
        ++match.names;
    }
    match.valid = true;
    return match;
}

// ---- Numbers as msvcrt's wcstoul reads them ----

struct Number {
    std::uint32_t value;
    std::size_t end;  // where reading stopped; the start when no digit was read
};

// wcstoul(s, &end, 16) of Wine's msvcrt: blanks, a sign and a 0x prefix may lead, and
// overflow sets errno to ERANGE, which nothing in regedit ever clears.
template <class Text>
Number readHexNumber(const Text& text, std::size_t begin, std::size_t end, bool& outOfRange)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::size_t p = begin;
    while (p < end && isSpace(text[p]))
        ++p;
    bool negative = false;
    if (p < end && (text[p] == '-' || text[p] == '+'))
        negative = text[p++] == '-';
    if (p + 1 < end && digitValue(text[p]) == 0 && (text[p + 1] == 'x' || text[p + 1] == 'X'))
        p += 2;
    std::int64_t value = 0;
    bool any = false;
    for (; p < end; ++p) {
        int digit = hexDigitValue(text[p]);
        if (digit < 0)
            break;
        any = true;
        if (negative)
            digit = -digit;
        if (!negative && (value > max / 16 || value * 16 > max - digit)) {
            value = max;
            outOfRange = true;
        } else if (negative && (value < min / 16 || value * 16 < min - digit)) {
            value = min;
            outOfRange = true;
        } else {
            value = value * 16 + digit;
        }
    }
    constexpr std::int64_t ulongMax = 0xFFFFFFFF;
    if (value > ulongMax) {
        value = ulongMax;
        outOfRange = true;
    } else if (value < -ulongMax) {
        value = 1;
        outOfRange = true;
    }
    return {static_cast<std::uint32_t>(value), any ? p : begin};
}

// ---- Values ----

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

bool isStringType(std::uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

enum class Parse { Valid, Invalid, Stop };

// Where the wanted value got its data, to decode it once the whole file is read.
struct Setting {
    enum class Form { Quoted, Dword, Hex, Plain } form;
    std::uint32_t type;
    std::size_t begin;     // the data on its first line
    std::size_t end;
    std::size_t nextLine;  // where its continuation lines start
};

struct Target {
    std::vector<KeyView> views;  // the key as reached from each root that leads to it
    std::u16string name;         // upper-cased
};

enum class Header { None, Win31, Version4, Version5 };

// The header, compared as lstrcmpW compares; "REGEDIT" alone starts the Windows 3.1 form.
template <class Text>
Header readHeader(const Text& text, std::size_t begin, std::size_t end)
{
    while (begin < end && isBlank(text[begin]))
        ++begin;
    auto is = [&](std::string_view expected) {
        std::size_t k = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const Unit c = text[i];
            if (isSortIgnorable(c))
                continue;
            if (k == expected.size() || sortEquivalent(c) != static_cast<unsigned char>(expected[k]))
                return false;
            ++k;
        }
        return k == expected.size();
    };
    if (is("REGEDIT"))
        return Header::Win31;
    if (is("REGEDIT4"))
        return Header::Version4;
    if (is("Windows Registry Editor Version 5.00"))
        return Header::Version5;
    return Header::None;
}

// Replays regedit's import for the one wanted value.
template <class Text>
class Importer {
public:
    Importer(const Text& text, const Target& target) : _text(text), _target(target), _lines(text, Text::kLinesFrom) {}

    std::optional<Setting> run()
    {
        Line first;
        if (!_lines.next(first))
            return std::nullopt;
        const Header header = readHeader(_text, 0, first.end);
        if (header == Header::None)
            return std::nullopt;
        _exportFile = true;
        Line line;
        while (!_stopped && _lines.next(line)) {
            if (header == Header::Win31)
                win31Line(line);
            else
                regeditLine(line);
        }
        return _found;
    }

    bool exportFile() const { return _exportFile; }
    bool keyFound() const { return _keyFound; }

    // The bytes RegQueryValueExA gives for what the setting stored.
    std::string decode(const Setting& setting)
    {
        switch (setting.form) {
        case Setting::Form::Quoted: {
            std::u16string text;
            quotedData(setting.begin, setting.end, &text);
            return toAnsi(text);
        }
        case Setting::Form::Plain: {
            std::u16string text;
            for (std::size_t p = setting.begin; p < setting.end; ++p)
                text.push_back(_text[p]);
            return toAnsi(text);
        }
        case Setting::Form::Dword: {
            std::string bytes;
            dwordData(setting.begin, setting.end, &bytes);
            return bytes;
        }
        case Setting::Form::Hex:
            break;
        }
        std::string bytes;
        LineReader<Text> lines(_text, setting.nextLine);
        hexData(setting, lines, &bytes);
        if (!isStringType(setting.type) || setting.begin == setting.end)
            return bytes;
        return hexStringToAnsi(bytes);
    }

private:
    // Strings are stored with a terminator and read back in code page 1252.
    static std::string toAnsi(const std::u16string& text)
    {
        std::string out;
        out.reserve(text.size() + 1);
        for (Unit c : text)
            out += toCp1252(c);
        out += '\0';
        return out;
    }

    // String-typed hex data gets a terminator unless it ends in one; UTF-16 data loses an
    // odd last byte on the way to code page 1252, 8-bit data comes back as it was.
    static std::string hexStringToAnsi(std::string bytes)
    {
        if constexpr (std::is_same_v<Text, NarrowText>) {
            if (bytes.back() != '\0')
                bytes += '\0';
            return bytes;
        } else {
            std::u16string text;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                text.push_back(static_cast<Unit>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
            if (text.back() == 0)
                text.pop_back();
            return toAnsi(text);
        }
    }

    enum class Open { None, Other, Wanted };

    void regeditLine(const Line& line)
    {
        std::size_t p = line.begin;
        while (p < line.end && isBlank(_text[p]))
            ++p;
        if (p == line.end)
            return;
        if (_text[p] == '[')
            keyLine(p + 1, line.end);
        else if (_text[p] == '@')
            valueData(_target.name.empty(), p + 1, line.end);
        else if (_text[p] == '"')
            quotedValue(p + 1, line.end);
    }

    // [key], [-key]: the name runs to the last ']'; a line without one, or with a blank
    // right after '[', changes nothing, so values still go to the key opened before.
    void keyLine(std::size_t begin, std::size_t end)
    {
        if (begin < end && isBlank(_text[begin]))
            return;
        std::size_t close = end;
        while (close > begin && _text[close - 1] != ']')
            --close;
        if (close == begin)
            return;
        --close;
        _open = Open::None;
        if (begin < close && _text[begin] == '-')
            deleteKey(begin + 1, close);
        else
            openKey(begin, close);
    }

    void openKey(std::size_t begin, std::size_t end)
    {
        _open = Open::None;
        std::size_t below = kNone;
        const Root root = parseRoot(_text, begin, end, below);
        if (root == Root::None)
            return;
        _open = Open::Other;
        for (const KeyView& view : _target.views) {
            if (view.root != root)
                continue;
            const PathMatch match = below == kNone ? PathMatch{true, 0, 0} : matchPath(_text, below, end, view);
            if (!match.valid)
                _open = Open::None;
            else if (match.names == view.names.size() && match.equal == match.names)
                _open = Open::Wanted;
        }
        if (_open == Open::Wanted)
            _keyFound = true;
    }

    // regedit gives up on the whole file at a deletion whose root it cannot read or that
    // names a root itself.
    void deleteKey(std::size_t begin, std::size_t end)
    {
        if (begin == end || (_text[begin] != 'H' && _text[begin] != 'h'))
            return;
        std::size_t below = kNone;
        const Root root = parseRoot(_text, begin, end, below);
        if (root == Root::None || below == kNone || below == end) {
            _stopped = true;
            return;
        }
        for (const KeyView& view : _target.views) {
            if (view.root != root)
                continue;
            const PathMatch match = matchPath(_text, below, end, view);
            if (match.valid && match.equal == match.names && match.names <= view.names.size())
                _found.reset();
        }
    }

    // "name" with the escapes \\ \" \n \r; \0 or a lone backslash at the end, or no
    // closing quote, drop the line.
    void quotedValue(std::size_t begin, std::size_t end)
    {
        const std::u16string& want = _target.name;
        std::size_t length = 0;
        bool same = true;
        std::size_t p = begin;
        for (; p < end && _text[p] != '"'; ++p) {
            Unit c = _text[p];
            if (c == '\\') {
                if (++p == end || _text[p] == '0')
                    return;
                c = unescaped(_text[p]);
            }
            same = same && length < want.size() && foldCase(c) == want[length];
            ++length;
        }
        if (p == end)
            return;
        valueData(same && length == want.size(), p + 1, end);
    }

    static Unit unescaped(Unit c) { return c == 'n' ? Unit{'\n'} : c == 'r' ? Unit{'\r'} : c; }

    // After the name: blanks, '=', blanks, then the data with trailing blanks cut off.
    void valueData(bool wanted, std::size_t p, std::size_t end)
    {
        while (p < end && isBlank(_text[p]))
            ++p;
        if (p == end || _text[p] != '=')
            return;
        ++p;
        while (p < end && isBlank(_text[p]))
            ++p;
        while (end > p && isBlank(_text[end - 1]))
            --end;
        wanted = wanted && _open == Open::Wanted;
        if (p < end && _text[p] == '-')
            deleteValue(wanted, p + 1, end);
        else
            typedData(wanted, p, end);
    }

    void deleteValue(bool wanted, std::size_t p, std::size_t end)
    {
        while (p < end && isBlank(_text[p]))
            ++p;
        if (wanted && (p == end || _text[p] == ';'))
            _found.reset();
    }

    bool startsWith(std::size_t p, std::size_t end, std::string_view tag) const
    {
        if (end - p < tag.size())
            return false;
        for (std::size_t i = 0; i < tag.size(); ++i)
            if (_text[p + i] != static_cast<unsigned char>(tag[i]))
                return false;
        return true;
    }

    void typedData(bool wanted, std::size_t p, std::size_t end)
    {
        Setting setting{Setting::Form::Quoted, kRegSz, p, end, _lines.position()};
        Parse parse = Parse::Invalid;
        if (startsWith(p, end, "\"")) {
            setting.begin = p + 1;
            parse = quotedData(setting.begin, end, nullptr);
        } else if (startsWith(p, end, "hex:")) {
            setting = {Setting::Form::Hex, kRegBinary, p + 4, end, _lines.position()};
            parse = hexData(setting, _lines, nullptr);
        } else if (startsWith(p, end, "dword:")) {
            setting = {Setting::Form::Dword, kRegDword, p + 6, end, _lines.position()};
            parse = dwordData(setting.begin, end, nullptr);
        } else if (startsWith(p, end, "hex(") && hexType(p + 4, end, setting)) {
            parse = hexData(setting, _lines, nullptr);
        }
        if (parse == Parse::Stop)
            _stopped = true;
        else if (parse == Parse::Valid && wanted)
            _found = setting;
    }

    // hex(N): N is read by wcstoul, so blanks and a sign may lead it; a second character
    // 'x' is refused, and so is ffffffff once any number in the file has overflowed.
    bool hexType(std::size_t p, std::size_t end, Setting& setting)
    {
        if (p == end || (p + 1 < end && (_text[p + 1] == 'x' || _text[p + 1] == 'X')))
            return false;
        const Number type = readHexNumber(_text, p, end, _outOfRange);
        if (end - type.end < 2 || _text[type.end] != ')' || _text[type.end + 1] != ':')
            return false;
        if (type.value == 0xFFFFFFFF && _outOfRange)
            return false;
        setting = {Setting::Form::Hex, type.value, type.end + 2, end, _lines.position()};
        return true;
    }

    // String data; regedit stops the whole import at "\0" or at a lone backslash at the end.
    Parse quotedData(std::size_t p, std::size_t end, std::u16string* out) const
    {
        for (; p < end && _text[p] != '"'; ++p) {
            Unit c = _text[p];
            if (c == '\\') {
                if (++p == end || _text[p] == '0')
                    return Parse::Stop;
                c = unescaped(_text[p]);
            }
            if (out)
                out->push_back(c);
        }
        if (p == end)
            return Parse::Invalid;
        for (++p; p < end && isBlank(_text[p]);)
            ++p;
        return p == end || _text[p] == ';' ? Parse::Valid : Parse::Invalid;
    }

    // dword: blanks, then one to eight hex digits (full-width ones too, though wcstoul
    // reads no full-width letter), then only blanks or a ';' comment; no digit reads as 0.
    Parse dwordData(std::size_t p, std::size_t end, std::string* out)
    {
        while (p < end && isBlank(_text[p]))
            ++p;
        if (p == end)
            return Parse::Invalid;
        const std::size_t digits = p;
        while (p < end && isHexDigit(_text[p]))
            ++p;
        std::size_t rest = p;
        while (rest < end && isBlank(_text[rest]))
            ++rest;
        if (p - digits > 8 || (rest < end && _text[rest] != ';'))
            return Parse::Invalid;
        if (out) {
            const std::uint32_t value = readHexNumber(_text, digits, p, _outOfRange).value;
            for (int shift = 0; shift < 32; shift += 8)
                out->push_back(static_cast<char>(value >> shift & 0xFF));
        }
        return Parse::Valid;
    }

    // Most bytes are two ASCII digits that end the number; those skip the general reading.
    Number readByte(std::size_t s, std::size_t end)
    {
        if (end - s >= 2) {
            const Unit high = _text[s];
            const Unit low = _text[s + 1];
            if (isAsciiHexDigit(high) && isAsciiHexDigit(low) &&
                (end - s == 2 || hexDigitValue(_text[s + 2]) < 0))
                return {static_cast<std::uint32_t>(hexDigitValue(high) * 16 + hexDigitValue(low)), s + 2};
        }
        return readHexNumber(_text, s, end, _outOfRange);
    }

    // One line of comma-separated bytes; may end in a backslash that continues the data.
    enum class HexLine { Done, Continued, Invalid };

    HexLine hexLine(std::size_t s, std::size_t end, std::string* out, std::size_t& count, std::size_t& after)
    {
        while (s < end) {
            const Number byte = readByte(s, end);
            if (byte.value > 0xFF)
                return HexLine::Invalid;
            std::size_t p = byte.end;
            if (p == s) {
                while (p < end && isBlank(_text[p]))
                    ++p;
                if (p < end && _text[p] == '\\') {
                    after = p + 1;
                    return HexLine::Continued;
                }
                return p < end && _text[p] == ';' ? HexLine::Done : HexLine::Invalid;
            }
            ++count;
            if (out)
                out->push_back(static_cast<char>(byte.value));
            if (p < end && _text[p] != ',') {
                while (p < end && isBlank(_text[p]))
                    ++p;
                return p == end || _text[p] == ';' ? HexLine::Done : HexLine::Invalid;
            }
            s = p < end ? p + 1 : p;
        }
        return HexLine::Done;
    }

    // hex: and hex(N): data with its continuation lines, read from lines. For the string
    // types regedit then adds a terminator and, given no whole character, crashes.
    Parse hexData(const Setting& setting, LineReader<Text>& lines, std::string* out)
    {
        std::size_t p = setting.begin;
        std::size_t end = setting.end;
        if (p == end)
            return Parse::Valid;
        std::size_t count = 0;
        for (;;) {
            std::size_t after = end;
            const HexLine result = hexLine(p, end, out, count, after);
            if (result == HexLine::Invalid)
                return Parse::Invalid;
            if (result == HexLine::Done)
                break;
            for (p = after; p < end && isBlank(_text[p]);)
                ++p;
            if (p < end && _text[p] != ';')
                return Parse::Invalid;
            Line next;
            bool ended = false;
            for (;;) {
                if (!lines.next(next)) {
                    ended = true;
                    break;
                }
                for (p = next.begin; p < next.end && isBlank(_text[p]);)
                    ++p;
                if (p < next.end && _text[p] != ';')
                    break;
            }
            if (ended)
                break;
            if (!isHexDigit(_text[p]))
                return Parse::Invalid;
            end = next.end;
        }
        const std::size_t unit = std::is_same_v<Text, WideText> ? 2 : 1;
        return isStringType(setting.type) && count < unit ? Parse::Stop : Parse::Valid;
    }

    // Windows 3.1 form: "HKEY_CLASSES_ROOT\key = text" sets the key's default value.
    void win31Line(const Line& line)
    {
        constexpr std::string_view root = "HKEY_CLASSES_ROOT";
        if (!startsWith(line.begin, line.end, root))
            return;
        std::size_t keyEnd = line.begin;
        while (keyEnd < line.end && !isSpace(_text[keyEnd]))
            ++keyEnd;
        std::size_t p = keyEnd;
        while (p < line.end && isBlank(_text[p]))
            ++p;
        if (p < line.end && _text[p] == '=')
            ++p;
        if (p < line.end && _text[p] == ' ')
            ++p;
        openKey(line.begin, keyEnd);
        if (_open == Open::Wanted && _target.name.empty())
            _found = Setting{Setting::Form::Plain, kRegSz, p, line.end, kNone};
    }

    const Text& _text;
    const Target& _target;
    LineReader<Text> _lines;
    Open _open = Open::None;
    std::optional<Setting> _found;
    bool _outOfRange = false;
    bool _stopped = false;
    bool _exportFile = false;
    bool _keyFound = false;
};

template <class Text>
Inspection inspect(const Text& text, const Target& target)
{
    Importer<Text> importer(text, target);
    const std::optional<Setting> setting = importer.run();
    Inspection found;
    found.exportFile = importer.exportFile();
    found.keyFound = importer.keyFound() || setting.has_value();
    if (setting)
        found.data = importer.decode(*setting);
    return found;
}

template <class Text>
std::optional<std::string> lookUp(const Text& text, const Target& target)
{
    Importer<Text> importer(text, target);
    const std::optional<Setting> setting = importer.run();
    if (!setting)
        return std::nullopt;
    return importer.decode(*setting);
}

// The longest value name the registry stores.
constexpr std::size_t kMaxValueName = 16383;

// The key and value name as the caller hands them to RegOpenKeyExA (below the root) and
// RegQueryValueExA: 8-bit text in code page 1252 that ends at a NUL, as C strings do.
// As RegOpenKeyExA reads a path under Wine, runs of backslashes and trailing ones count as
// one, while a backslash right after the root, more than 260 characters below the root or
// a key name longer than 256 characters make the key unreachable.
std::optional<Target> makeTarget(std::string_view keyPath, std::string_view valueName)
{
    keyPath = keyPath.substr(0, keyPath.find('\0'));
    valueName = valueName.substr(0, valueName.find('\0'));
    const NarrowText path(keyPath);
    std::size_t below = kNone;
    const Root root = parseRoot(path, 0, path.size(), below);
    if (root == Root::None || valueName.size() > kMaxValueName)
        return std::nullopt;
    const std::size_t begin = below == kNone ? path.size() : below;
    if (path.size() - begin > kMaxOpenPathA || (begin < path.size() && path[begin] == '\\'))
        return std::nullopt;
    KeyView key{root == Root::ClassesRoot ? Root::LocalMachine : root, {}};
    if (root == Root::ClassesRoot)
        key.names = {u"SOFTWARE", u"CLASSES"};
    for (std::size_t i = begin; i < path.size();) {
        std::u16string name;
        for (; i < path.size() && path[i] != '\\'; ++i)
            name.push_back(foldCase(path[i]));
        if (name.size() > kMaxKeyName)
            return std::nullopt;
        if (!name.empty())
            key.names.push_back(name);
        while (i < path.size() && path[i] == '\\')
            ++i;
    }
    Target target;
    // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes, so files may reach the key either way.
    if (key.root == Root::LocalMachine && key.names.size() >= 2 && key.names[0] == u"SOFTWARE" &&
        key.names[1] == u"CLASSES")
        target.views.push_back({Root::ClassesRoot, {key.names.begin() + 2, key.names.end()}});
    target.views.push_back(std::move(key));
    const NarrowText name(valueName);
    for (std::size_t i = 0; i < name.size(); ++i)
        target.name.push_back(foldCase(name[i]));
    return target;
}

} // namespace

std::optional<std::string> queryValueIn(std::string_view contents, std::string_view keyPath,
                                        std::string_view valueName, std::size_t maxBytes)
{
    const std::optional<Target> target = makeTarget(keyPath, valueName);
    if (!target || contents.size() < 2)
        return std::nullopt;
    const bool wide = contents[0] == '\xFF' && contents[1] == '\xFE';
    std::string replayed;
    if (containsNul(contents, wide)) {
        replayed = replayLineBuffer(contents, wide);
        contents = replayed;
    }
    std::optional<std::string> data = wide ? lookUp(WideText(contents), *target) : lookUp(NarrowText(contents), *target);
    if (data && data->size() > maxBytes)
        return std::nullopt;
    return data;
}

Inspection inspectIn(std::string_view contents, std::string_view keyPath, std::string_view valueName)
{
    const std::optional<Target> target = makeTarget(keyPath, valueName);
    if (contents.size() < 2)
        return {};
    const bool wide = contents[0] == '\xFF' && contents[1] == '\xFE';
    std::string replayed;
    if (containsNul(contents, wide)) {
        replayed = replayLineBuffer(contents, wide);
        contents = replayed;
    }
    // A key that cannot be reached is still looked for, so that the header is judged.
    static const Target unreachable{{}, u"\x1"};
    const Target& wanted = target ? *target : unreachable;
    Inspection found = wide ? inspect(WideText(contents), wanted) : inspect(NarrowText(contents), wanted);
    if (!target)
        found = Inspection{found.exportFile, false, std::nullopt};
    return found;
}

std::optional<std::string> queryValue(const std::string& filePath, std::string_view keyPath,
                                      std::string_view valueName, std::size_t maxBytes)
{
    const std::optional<std::string> contents = platform::fileContents(filePath.c_str());
    if (!contents)
        return std::nullopt;
    return queryValueIn(*contents, keyPath, valueName, maxBytes);
}

} // namespace qz::regfile
