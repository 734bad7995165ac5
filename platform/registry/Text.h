// Text.h - a file's contents seen as characters (8-bit text in place, through code page
// 1252 or UTF-8; UTF-16 files as they are; decoded UTF-16 units), and strings encoded for
// an 8-bit caller.
#ifndef QZ_PLATFORM_REGISTRY_TEXT_H
#define QZ_PLATFORM_REGISTRY_TEXT_H

#include "platform/registry/Characters.h"
#include "platform/registry/RegistryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>
#include <string_view>

namespace qz::regfile {

// Scans over units of kSize bytes in memory for one ASCII character, for the views below:
// memchr finds the candidates, eight bytes at a time are passed over backwards. Positions
// count units from data; a unit matches when its bytes are those of the character.
namespace scan {

template <std::size_t kSize>
struct Needle {
    char bytes[kSize];
};

template <std::size_t kSize, class Unit16 = char16_t>
Needle<kSize> needle(Unit c, bool littleEndianBytes)
{
    Needle<kSize> n{};
    if constexpr (kSize == 1) {
        n.bytes[0] = static_cast<char>(c);
    } else if (littleEndianBytes) {
        n.bytes[0] = static_cast<char>(c & 0xFF);
        n.bytes[1] = static_cast<char>(c >> 8);
    } else {
        const Unit16 unit = c;
        std::memcpy(n.bytes, &unit, 2);
    }
    return n;
}

// The first unit equal to the needle in [from, to), or to; units up to readable may be
// loaded, though only those before to count.
template <std::size_t kSize>
std::size_t find(const char* data, std::size_t from, std::size_t to, const Needle<kSize>& n, std::size_t readable)
{
    constexpr std::size_t perBlock = 16 / kSize;
    if (to - from <= perBlock) {
#if defined(__SSE2__)
        // One load for a stretch as short as the name's closing quote mostly is.
        if (readable - from >= perBlock) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from * kSize));
            const auto unit = static_cast<unsigned char>(n.bytes[0]) | static_cast<unsigned char>(n.bytes[kSize - 1]) << 8;
            const __m128i hits = kSize == 1 ? _mm_cmpeq_epi8(block, _mm_set1_epi8(n.bytes[0]))
                                            : _mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(unit)));
            const unsigned mask =
                static_cast<unsigned>(_mm_movemask_epi8(hits)) & ((1u << (to - from) * kSize) - 1);
            return mask ? from + static_cast<std::size_t>(__builtin_ctz(mask)) / kSize : to;
        }
#endif
        static_cast<void>(readable);
        for (; from < to; ++from)
            if (data[from * kSize] == n.bytes[0] && (kSize == 1 || data[from * kSize + 1] == n.bytes[kSize - 1]))
                return from;
        return to;
    }
    while (from < to) {
        const void* hit = std::memchr(data + from * kSize, n.bytes[0], (to - from) * kSize);
        if (!hit)
            return to;
        const std::size_t byte = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (kSize == 1 || (byte % kSize == 0 && data[byte + 1] == n.bytes[kSize - 1]))
            return byte / kSize;
        from = byte / kSize + 1;
    }
    return to;
}

// The first unit in [from, to) that is the ASCII character a or b, or to; units up to
// readable may be loaded, though only those before to count. Sixty-four bytes at a time
// with SSE2 (where there is SSE2 the order is little-endian, as both kinds of 16-bit text
// are held), else two scans.
template <std::size_t kSize, char a, char b>
std::size_t findEither(const char* data, std::size_t from, std::size_t to, bool littleEndianBytes, std::size_t readable)
{
#if defined(__SSE2__)
    static_cast<void>(littleEndianBytes);
    constexpr std::size_t perBlock = 16 / kSize;
    const __m128i wantA = kSize == 1 ? _mm_set1_epi8(a) : _mm_set1_epi16(a);
    const __m128i wantB = kSize == 1 ? _mm_set1_epi8(b) : _mm_set1_epi16(b);
    auto hits = [&](std::size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at * kSize));
        return kSize == 1 ? _mm_or_si128(_mm_cmpeq_epi8(block, wantA), _mm_cmpeq_epi8(block, wantB))
                          : _mm_or_si128(_mm_cmpeq_epi16(block, wantA), _mm_cmpeq_epi16(block, wantB));
    };
    for (; to - from >= 4 * perBlock; from += 4 * perBlock) {
        const __m128i any = _mm_or_si128(_mm_or_si128(hits(from), hits(from + perBlock)),
                                         _mm_or_si128(hits(from + 2 * perBlock), hits(from + 3 * perBlock)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
    for (; to - from >= perBlock; from += perBlock)
        if (const int mask = _mm_movemask_epi8(hits(from)))
            return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / kSize;
    if (from < to && readable - from >= perBlock) {
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(hits(from))) & ((1u << (to - from) * kSize) - 1);
        return mask ? from + static_cast<std::size_t>(__builtin_ctz(mask)) / kSize : to;
    }
    for (; from < to; ++from) {
        const char* unit = data + from * kSize;
        if ((unit[0] == a || unit[0] == b) && (kSize == 1 || unit[kSize - 1] == 0))
            return from;
    }
    return to;
#else
    const std::size_t first = find<kSize>(data, from, to, needle<kSize>(a, littleEndianBytes), readable);
    return find<kSize>(data, from, first, needle<kSize>(b, littleEndianBytes), readable);
#endif
}

// The last unit equal to the needle in [from, to), or kNone.
template <std::size_t kSize>
std::size_t findLast(const char* data, std::size_t from, std::size_t to, const Needle<kSize>& n)
{
    constexpr std::size_t perWord = 8 / kSize;
    constexpr std::uint64_t lows = kSize == 1 ? 0x0101010101010101 : 0x0001000100010001;
    constexpr std::uint64_t tops = kSize == 1 ? 0x8080808080808080 : 0x8000800080008000;
    char repeated[8];
    for (std::size_t i = 0; i < 8; ++i)
        repeated[i] = n.bytes[i % kSize];
    std::uint64_t pattern;
    std::memcpy(&pattern, repeated, 8);
    // A lane equal to the needle is a zero lane after the exclusive or, which borrows
    // into its top bit; whatever the byte order, lanes hold whole units.
    while (to - from >= perWord) {
        std::uint64_t word;
        std::memcpy(&word, data + (to - perWord) * kSize, 8);
        word ^= pattern;
        if (((word - lows) & ~word & tops) != 0)
            break;
        to -= perWord;
    }
    while (to > from) {
        --to;
        if (std::memcmp(data + to * kSize, n.bytes, kSize) == 0)
            return to;
    }
    return kNone;
}

#if defined(__SSE2__)
// The CR and LF among the 64 units at data + from * kSize, as a mask with one bit for each
// unit.
template <std::size_t kSize>
std::uint64_t lineEndMask(const char* data, std::size_t from)
{
    const char* at = data + from * kSize;
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    auto load = [&](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i)); };
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        // Two blocks of 16-bit units narrow to a byte each, with signed saturation: a unit
        // below 0x80 keeps its value and every other one becomes 0x7F or 0x80, so only CR
        // and LF narrow to CR and LF.
        const __m128i units = kSize == 1 ? load(i) : _mm_packs_epi16(load(2 * i), load(2 * i + 1));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(units, cr), _mm_cmpeq_epi8(units, lf));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hits))) << (16 * i);
    }
    return mask;
}
#endif

// Whether the n bytes at a and at b are the same: inline, with loads of 16, 8 or 4 bytes
// that overlap at the end, since the texts compared are mostly short.
inline bool sameBytes(const char* a, const char* b, std::size_t n)
{
#if defined(__SSE2__)
    if (n >= 16) {
        auto equal16 = [&](std::size_t at) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
            return _mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) == 0xFFFF;
        };
        for (std::size_t at = 0; at + 16 < n; at += 16)
            if (!equal16(at))
                return false;
        return equal16(n - 16);
    }
#endif
    auto equalWord = [&](std::size_t at, auto word) {
        std::memcpy(&word, a + at, sizeof word);
        decltype(word) other;
        std::memcpy(&other, b + at, sizeof other);
        return word == other;
    };
    if (n >= 8) {
        for (std::size_t at = 0; at + 8 < n; at += 8)
            if (!equalWord(at, std::uint64_t{}))
                return false;
        return equalWord(n - 8, std::uint64_t{});
    }
    if (n >= 4)
        return equalWord(0, std::uint32_t{}) && equalWord(n - 4, std::uint32_t{});
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace scan

// How far the views look for a line end in one scan for both CR and LF.
constexpr std::size_t kNearUnits = 256;

// 8-bit text seen in place, a position for each byte. Every character of the syntax is
// ASCII, which both 8-bit encodings leave as it is, so scans for them look at the bytes.
class ByteText {
public:
    static constexpr bool kEightBit = true;
    static constexpr std::size_t kUnitBytes = 1;
    explicit ByteText(std::string_view bytes) : _bytes(bytes) {}
    std::size_t size() const { return _bytes.size(); }
    const char* bytes() const { return _bytes.data(); }
    // Where the units are in memory, kUnitBytes each.
    const char* unitBytes() const { return _bytes.data(); }
    // The first c (ASCII) in [from, to), or to; the last one, or kNone.
    std::size_t find(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::find<1>(_bytes.data(), from, to, scan::needle<1>(c, true), size());
    }
    // The first a or b (both ASCII) in [from, to), or to.
    template <char a, char b>
    std::size_t findEither(std::size_t from, std::size_t to) const
    {
        return scan::findEither<1, a, b>(_bytes.data(), from, to, true, size());
    }
    std::size_t findLast(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::findLast<1>(_bytes.data(), from, to, scan::needle<1>(c, true));
    }
    // Whether the length units at a and at b are the same.
    bool sameUnits(std::size_t a, std::size_t b, std::size_t length) const
    {
        return scan::sameBytes(_bytes.data() + a, _bytes.data() + b, length);
    }
    // The first CR or LF at or after from, or size(); kNone when there is none among
    // the next kNearUnits, which long lines leave to cached scans (Lines.h).
    std::size_t lineEnd(std::size_t from) const
    {
        const std::size_t near = std::min(size(), from + kNearUnits);
        const std::size_t end = scan::findEither<1, '\r', '\n'>(_bytes.data(), from, near, true, size());
        return end == near && near != size() ? kNone : end;
    }
    // regedit reads the first two bytes apart from the lines, so they never end one.
    std::size_t linesFrom() const { return 2; }
    bool isAsciiAt(std::size_t i) const { return static_cast<unsigned char>(_bytes[i]) < 0x80; }
    // The unit at i for a test against ASCII characters only (isBlank, ==): the byte as it
    // stands, since neither 8-bit encoding reads anything beyond ASCII as an ASCII unit.
    // A value of 0x80 or more says only that it is none of them.
    Unit ascii(std::size_t i) const { return static_cast<unsigned char>(_bytes[i]); }

protected:
    std::string_view _bytes;
};

// 8-bit text decoded with code page 1252 as regedit decodes each line (in UTF-8 as well
// when the text is all ASCII, where both read alike).
class NarrowText : public ByteText {
public:
    using ByteText::ByteText;
    Unit operator[](std::size_t i) const
    {
        const auto c = static_cast<unsigned char>(_bytes[i]);
        return c < 0x80 ? Unit{c} : fromCp1252(c);
    }
    // Where the character after the one at i starts.
    std::size_t after(std::size_t i) const { return i + 1; }
};

// UTF-8 read in place, without a decoded copy: positions count bytes. A character beyond
// ASCII reads at its first byte as the unit it decodes to (its first unit when it needs
// two; a byte that is not part of valid UTF-8 reads as its escaped form, see below), and
// after() passes over all its bytes. A byte inside a character reads as an escaped byte,
// which no character class and no character of the syntax matches. Where characters
// beyond ASCII are compared or counted (names, key paths, the header), the importer
// decodes them (decodeUtf8At, or decodeUtf8 over a stretch between ASCII characters,
// which decodes as it does inside the whole file).
class Utf8Text : public ByteText {
public:
    using ByteText::ByteText;
    Unit operator[](std::size_t i) const
    {
        const auto c = static_cast<unsigned char>(_bytes[i]);
        return c < 0x80 ? Unit{c} : beyondAscii(i);
    }
    std::size_t after(std::size_t i) const;
    // The units of the character at i (one or two) into units; returns how many, and sets
    // next to where the next character starts.
    std::size_t unitsAt(std::size_t i, Unit* units, std::size_t& next) const;
    std::string_view view(std::size_t begin, std::size_t end) const { return _bytes.substr(begin, end - begin); }

private:
    Unit beyondAscii(std::size_t i) const;
};

// UTF-16LE after the byte-order mark; a last odd byte is never read.
class WideText {
public:
    static constexpr bool kEightBit = false;
    static constexpr std::size_t kUnitBytes = 2;
    explicit WideText(std::string_view bytes) : _bytes(bytes.substr(2)), _size(_bytes.size() / 2) {}
    std::size_t size() const { return _size; }
    const char* unitBytes() const { return _bytes.data(); }
    Unit operator[](std::size_t i) const
    {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        Unit unit;
        std::memcpy(&unit, _bytes.data() + 2 * i, 2);
        return unit;
#else
        return static_cast<Unit>(static_cast<unsigned char>(_bytes[2 * i]) |
                                 static_cast<unsigned char>(_bytes[2 * i + 1]) << 8);
#endif
    }
    std::size_t find(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::find<2>(_bytes.data(), from, to, scan::needle<2>(c, true), size());
    }
    template <char a, char b>
    std::size_t findEither(std::size_t from, std::size_t to) const
    {
        return scan::findEither<2, a, b>(_bytes.data(), from, to, true, size());
    }
    std::size_t findLast(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::findLast<2>(_bytes.data(), from, to, scan::needle<2>(c, true));
    }
    // Whether the length units at a and at b are the same.
    bool sameUnits(std::size_t a, std::size_t b, std::size_t length) const
    {
        return scan::sameBytes(_bytes.data() + a * 2, _bytes.data() + b * 2, length * 2);
    }
    std::size_t lineEnd(std::size_t from) const
    {
        const std::size_t near = std::min(size(), from + kNearUnits);
        const std::size_t end = scan::findEither<2, '\r', '\n'>(_bytes.data(), from, near, true, size());
        return end == near && near != size() ? kNone : end;
    }
    std::size_t linesFrom() const { return 0; }
    std::size_t after(std::size_t i) const { return i + 1; }
    Unit ascii(std::size_t i) const { return (*this)[i]; }

private:
    std::string_view _bytes;
    std::size_t _size; // in units
};

// 8-bit text already decoded (UTF-8 with escaped bytes, see decodeUtf8).
class DecodedText {
public:
    static constexpr bool kEightBit = true;
    static constexpr std::size_t kUnitBytes = 2;
    DecodedText(std::u16string_view units, std::size_t linesFrom) : _units(units), _linesFrom(linesFrom) {}
    std::size_t size() const { return _units.size(); }
    const char* unitBytes() const { return bytes(); }
    Unit operator[](std::size_t i) const { return _units[i]; }
    std::size_t find(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::find<2>(bytes(), from, to, scan::needle<2>(c, false), size());
    }
    template <char a, char b>
    std::size_t findEither(std::size_t from, std::size_t to) const
    {
        return scan::findEither<2, a, b>(bytes(), from, to, false, size());
    }
    std::size_t findLast(Unit c, std::size_t from, std::size_t to) const
    {
        return scan::findLast<2>(bytes(), from, to, scan::needle<2>(c, false));
    }
    // Whether the length units at a and at b are the same.
    bool sameUnits(std::size_t a, std::size_t b, std::size_t length) const
    {
        return scan::sameBytes(bytes() + a * 2, bytes() + b * 2, length * 2);
    }
    std::size_t lineEnd(std::size_t from) const
    {
        const std::size_t near = std::min(size(), from + kNearUnits);
        const std::size_t end = scan::findEither<2, '\r', '\n'>(bytes(), from, near, false, size());
        return end == near && near != size() ? kNone : end;
    }
    std::size_t linesFrom() const { return _linesFrom; }
    std::size_t after(std::size_t i) const { return i + 1; }
    Unit ascii(std::size_t i) const { return _units[i]; }

private:
    const char* bytes() const { return reinterpret_cast<const char*>(_units.data()); }

    std::u16string_view _units;
    std::size_t _linesFrom;
};

// Bytes that are not part of valid UTF-8 stand for themselves: byte b becomes the lone
// unit U+DC00 + b (b >= 0x80), which no valid UTF-8 decodes to, so such a byte matches
// only the same byte in a name and comes back unchanged in data.
constexpr Unit kEscapeBase = 0xDC00;
inline bool isEscapedByte(Unit c) { return c >= 0xDC80 && c <= 0xDCFF; }

// UTF-8 as UTF-16 units with escaped bytes; unitsBeforeTwo, when given, gets the number of
// units that the first two bytes started.
std::u16string decodeUtf8(std::string_view bytes, std::size_t* unitsBeforeTwo = nullptr);
// The same into units, which has room for bytes.size() of them (no sequence gives more
// units than it has bytes); returns how many it wrote.
std::size_t decodeUtf8Into(std::string_view bytes, Unit* units, std::size_t* unitsBeforeTwo = nullptr);
// Code page 1252 as UTF-16 units.
std::u16string decodeCp1252(std::string_view bytes);

bool isAscii(std::string_view bytes);

// A string as RegQueryValueExA gives it to the caller: the units in its encoding, then a
// terminator. In UTF-8, escaped bytes of 8-bit text go back to their bytes and every
// other unpaired surrogate becomes U+FFFD, as WideCharToMultiByte makes it.
std::string encodeString(std::u16string_view units, Encoding encoding, bool escapedBytes);

} // namespace qz::regfile

#endif
