// Characters.h - characters as Wine's code page 1252 and its C runtime (msvcrt) treat them:
// the code page both ways, iswspace, iswxdigit, wcstoul's digits and numbers, and lstrcmpW.
#ifndef QZ_PLATFORM_REGISTRY_CHARACTERS_H
#define QZ_PLATFORM_REGISTRY_CHARACTERS_H

#include <cstddef>
#include <cstdint>
#include <limits>

namespace qz::regfile {

using Unit = char16_t;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// Code page 1252, in which regedit decodes 8-bit files; its five unassigned bytes stand
// for the same code point.
Unit fromCp1252(unsigned char c);
// The byte that RegQueryValueExA gives for a unit: the code page, else its best fit, else '?'.
char toCp1252(Unit c);
// The best-fit byte of a unit above U+00FF, or -1 (WineTextTables.cpp, measured).
int bestFit1252(Unit c);

inline bool isBlank(Unit c) { return c == ' ' || c == '\t'; }

// iswspace, which wcstoul skips before a number.
bool isSpace(Unit c);

inline bool isAsciiHexDigit(Unit c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The value of an ASCII hex digit, or -1, from a table of the 128 ASCII characters.
struct AsciiHexTable {
    signed char values[128];
    constexpr AsciiHexTable() : values()
    {
        for (int c = 0; c < 128; ++c)
            values[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                                 : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                        : -1);
    }
};
inline constexpr AsciiHexTable kAsciiHex{};

inline int asciiHexValue(Unit c)
{
    return c < 0x80 ? kAsciiHex.values[c] : -1;
}

// iswxdigit: ASCII hex digits and their full-width forms.
bool isHexDigit(Unit c);

// The digit that wcstoul reads in c: ASCII letters count up to 35, and the decimal
// digits of seventeen scripts count too. -1 when c is no digit.
int digitValue(Unit c);

inline int hexDigitValue(Unit c)
{
    const int value = digitValue(c);
    return value < 16 ? value : -1;
}

// Whether lstrcmpW passes over c as if absent (WineTextTables.cpp, measured).
bool isSortIgnorable(Unit c);
// Characters that lstrcmpW weighs exactly like an ASCII character of the headers.
Unit sortEquivalent(Unit c);

inline unsigned char asciiLower(Unit c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
}

struct Number {
    std::uint32_t value;
    std::size_t end;  // where reading stopped; the start when no digit was read
};

// wcstoul(s, &end, 16) of Wine's msvcrt: blanks, a sign and a 0x prefix may lead, and
// overflow sets errno to ERANGE, which nothing in regedit ever clears. The text's after()
// passes from one character to the next.
template <class Text>
Number readHexNumber(const Text& text, std::size_t begin, std::size_t end, bool& outOfRange)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::size_t p = begin;
    while (p < end && isSpace(text[p]))
        p = text.after(p);
    bool negative = false;
    if (p < end && (text[p] == '-' || text[p] == '+'))
        negative = text[p++] == '-';
    if (p < end && digitValue(text[p]) == 0) {
        const std::size_t x = text.after(p);
        if (x < end && (text[x] == 'x' || text[x] == 'X'))
            p = x + 1;
    }
    std::int64_t value = 0;
    bool any = false;
    for (; p < end; p = text.after(p)) {
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

#endif
