// Characters.cpp - code page 1252 and wcstoul as Wine has them; the measured character
// classes are in WineTextTables.cpp.
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

Number readHexNumber(std::u16string_view text, std::size_t begin, std::size_t end, bool& outOfRange)
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

} // namespace qz::regfile
