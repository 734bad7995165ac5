// Text.cpp - decoding 8-bit text (UTF-8, code page 1252) and encoding strings for the caller.
#include "platform/registry/Text.h"

#include <cstdint>
#include <cstring>

namespace qz::regfile {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at p (strict: no overlong forms, surrogates or
// code points above U+10FFFF), or 0.
std::size_t sequenceLength(const unsigned char* p, std::size_t left)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : 0xBF;
        return left >= 3 && p[1] >= low && p[1] <= high && isContinuation(p[2]) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
        return left >= 4 && p[1] >= low && p[1] <= high && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

void appendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

bool isAscii(std::string_view bytes)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixty-four bytes at a time: any top bit among them shows in the mask.
    for (; i + 64 <= bytes.size(); i += 64) {
        const auto* block = reinterpret_cast<const __m128i*>(bytes.data() + i);
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(block), _mm_loadu_si128(block + 1)),
                                         _mm_or_si128(_mm_loadu_si128(block + 2), _mm_loadu_si128(block + 3)));
        if (_mm_movemask_epi8(any) != 0)
            return false;
    }
#endif
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080)
            return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

std::size_t decodeUtf8Into(std::string_view bytes, Unit* units, std::size_t* unitsBeforeTwo)
{
    std::size_t n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (unitsBeforeTwo)
        *unitsBeforeTwo = 0;
    for (std::size_t i = 0; i < size;) {
        // Runs of ASCII past the first two bytes: sixteen at a time with SSE2, else eight.
        if (i >= 2) {
#if defined(__SSE2__)
            const __m128i zero = _mm_setzero_si128();
            for (; size - i >= 16; i += 16, n += 16) {
                const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
                if (_mm_movemask_epi8(block) != 0)
                    break;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(units + n), _mm_unpacklo_epi8(block, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(units + n + 8), _mm_unpackhi_epi8(block, zero));
            }
#endif
            std::uint64_t word;
            while (size - i >= 8 && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080) == 0)) {
                for (std::size_t k = 0; k < 8; ++k)
                    units[n + k] = p[i + k];
                n += 8;
                i += 8;
            }
            for (; i < size && p[i] < 0x80; ++i)
                units[n++] = p[i];
            if (i == size)
                break;
            // Two-byte sequences (Latin, Greek, Cyrillic and more) in a loop of their own.
            while (size - i >= 2 && p[i] >= 0xC2 && p[i] <= 0xDF && isContinuation(p[i + 1])) {
                units[n++] = static_cast<Unit>((p[i] & 0x1F) << 6 | (p[i + 1] & 0x3F));
                i += 2;
            }
            if (i == size || p[i] < 0x80)
                continue;
        }
        const std::size_t length = sequenceLength(p + i, size - i);
        std::uint32_t c = p[i];
        switch (length) {
        case 0: c = kEscapeBase + p[i]; break;
        case 2: c = (c & 0x1F) << 6 | (p[i + 1] & 0x3F); break;
        case 3: c = (c & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F); break;
        case 4: c = (c & 0x07) << 18 | (p[i + 1] & 0x3F) << 12 | (p[i + 2] & 0x3F) << 6 | (p[i + 3] & 0x3F); break;
        default: break;
        }
        if (c >= 0x10000) {
            units[n++] = static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
            units[n++] = static_cast<Unit>(0xDC00 + (c & 0x3FF));
        } else {
            units[n++] = static_cast<Unit>(c);
        }
        if (unitsBeforeTwo && i < 2)
            *unitsBeforeTwo = n;
        i += length == 0 ? 1 : length;
    }
    return n;
}

namespace {

// The code point of the valid sequence of length at p (1 to 4 bytes).
std::uint32_t codePoint(const unsigned char* p, std::size_t length)
{
    switch (length) {
    case 2: return (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    case 3: return (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    case 4: return (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    default: return p[0];
    }
}

} // namespace

std::size_t Utf8Text::after(std::size_t i) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(_bytes.data()) + i;
    if (*p < 0x80)
        return i + 1;
    const std::size_t length = sequenceLength(p, _bytes.size() - i);
    return i + (length == 0 ? 1 : length);
}

std::size_t Utf8Text::unitsAt(std::size_t i, Unit* units, std::size_t& next) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(_bytes.data()) + i;
    const std::size_t length = *p < 0x80 ? 1 : sequenceLength(p, _bytes.size() - i);
    next = i + (length == 0 ? 1 : length);
    if (length == 0) {
        units[0] = static_cast<Unit>(kEscapeBase + *p);
        return 1;
    }
    const std::uint32_t c = codePoint(p, length);
    if (c < 0x10000) {
        units[0] = static_cast<Unit>(c);
        return 1;
    }
    units[0] = static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<Unit>(0xDC00 + (c & 0x3FF));
    return 2;
}

Unit Utf8Text::beyondAscii(std::size_t i) const
{
    Unit units[2];
    std::size_t next;
    unitsAt(i, units, next);
    return units[0];
}

std::u16string decodeUtf8(std::string_view bytes, std::size_t* unitsBeforeTwo)
{
    std::u16string units(bytes.size(), u'\0');
    units.resize(decodeUtf8Into(bytes, units.data(), unitsBeforeTwo));
    return units;
}

std::u16string decodeCp1252(std::string_view bytes)
{
    std::u16string units;
    units.reserve(bytes.size());
    for (char c : bytes)
        units += fromCp1252(static_cast<unsigned char>(c));
    return units;
}

std::string encodeString(std::u16string_view units, Encoding encoding, bool escapedBytes)
{
    std::string out;
    out.reserve(units.size() + 1);
    if (encoding == Encoding::Cp1252) {
        for (Unit c : units)
            out += toCp1252(c);
        out += '\0';
        return out;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        const Unit c = units[i];
        if (escapedBytes && isEscapedByte(c)) {
            out += static_cast<char>(c - kEscapeBase);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                   units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((c - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    out += '\0';
    return out;
}

} // namespace qz::regfile
