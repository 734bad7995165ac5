// Characters.h - characters as Wine's code page 1252 and its C runtime (msvcrt) treat them:
// the code page both ways, iswspace, iswxdigit, wcstoul's digits and numbers, and lstrcmpW.
#ifndef QZ_PLATFORM_REGISTRY_CHARACTERS_H
#define QZ_PLATFORM_REGISTRY_CHARACTERS_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace qz::regfile {

using Unit = char16_t;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// Code page 1252, in which regedit decodes 8-bit files; its five unassigned bytes stand
// for the same code point.
Unit fromCp1252(unsigned char c);
// The byte that RegQueryValueExA gives for a unit: the code page, else its best fit, else '?'.
char toCp1252(Unit c);

// The tables below are measured under Wine (WineTextTables.cpp, generated).
// The best-fit byte of a unit above U+00FF in code page 1252, or -1.
int bestFit1252(Unit c);
// iswspace, which wcstoul skips before a number.
bool isSpace(Unit c);
// iswxdigit.
bool isHexDigit(Unit c);
// The digit that wcstoul reads in c (letters count up to 35), or -1.
int digitValue(Unit c);
// Whether lstrcmpW passes over c as if absent.
bool isSortIgnorable(Unit c);
// The ASCII character that lstrcmpW weighs c exactly like, or c itself.
Unit sortEquivalent(Unit c);

inline bool isBlank(Unit c) { return c == ' ' || c == '\t'; }

inline int hexDigitValue(Unit c)
{
    const int value = digitValue(c);
    return value < 16 ? value : -1;
}

// The value of an ASCII hex digit, or -1.
inline int asciiHexValue(Unit c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

inline Unit asciiLower(Unit c) { return c >= 'A' && c <= 'Z' ? static_cast<Unit>(c + 0x20) : c; }

struct Number {
    std::uint32_t value;
    std::size_t end; // where reading stopped; the start when no digit was read
};

// wcstoul(text + begin, &end, 16) of Wine's msvcrt, reading no further than end: blanks,
// a sign and a 0x prefix may lead, and overflow sets outOfRange, as it sets errno to
// ERANGE, which nothing in regedit ever clears.
Number readHexNumber(std::u16string_view text, std::size_t begin, std::size_t end, bool& outOfRange);

} // namespace qz::regfile

#endif
