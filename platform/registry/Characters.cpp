// Characters.cpp - code page 1252 and the C runtime's character classes, as Wine has them.
#include "platform/registry/Characters.h"

namespace qz::regfile {
namespace {

// Code page 1252 at 0x80..0x9F (the code page's own definition).
constexpr Unit kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

Unit fromCp1252(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : Unit{c};
}

char toCp1252(Unit c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (c < 0xA0 && kCp1252High[c - 0x80] == c))
        return static_cast<char>(c);
    const int fit = bestFit1252(c);
    return fit < 0 ? '?' : static_cast<char>(fit);
}

bool isSpace(Unit c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isHexDigit(Unit c)
{
    return isAsciiHexDigit(c) || (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF26) ||
           (c >= 0xFF41 && c <= 0xFF46);
}

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

Unit sortEquivalent(Unit c)
{
    switch (c) {
    case 0x01BD: return '5';
    case 0x2024: return '.';
    case 0x205F: return ' ';
    default: return c;
    }
}

} // namespace qz::regfile
