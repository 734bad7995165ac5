// Text.cpp - decoding lines (UTF-16LE, UTF-8, code page 1252) and encoding strings for the caller.
#include "platform/registry/Text.h"

#include "platform/QZUtf8.h"

#include <algorithm>
#include <cstdint>

namespace qz::regfile {

namespace {

std::uint32_t codePoint(const unsigned char* p, std::size_t length)
{
    switch (length) {
    case 2: return (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    case 3: return (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    case 4: return (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    default: return p[0];
    }
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

bool isHighSurrogate(Unit c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(Unit c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

std::u16string_view decodeLine(std::string_view bytes, FileText text, std::u16string& buffer, std::size_t start)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    // No encoding gives more units than the line has bytes; the buffer only grows, so
    // that no line pays for filling it.
    if (buffer.size() < start + size)
        buffer.resize(start + size);
    Unit* const first = buffer.data();
    Unit* out = first + start;
    switch (text) {
    case FileText::Utf16:
        for (std::size_t i = 0; i + 1 < size; i += 2)
            *out++ = static_cast<Unit>(p[i] | p[i + 1] << 8);
        break;
    case FileText::Cp1252:
        for (std::size_t i = 0; i < size; ++i)
            *out++ = fromCp1252(p[i]);
        break;
    case FileText::Utf8:
        for (std::size_t i = 0; i < size;) {
            // Runs of ASCII, most of a file, are copied as they stand.
            const unsigned char* const run = p + i;
            const std::size_t ascii = std::find_if(run, p + size, [](unsigned char c) { return c >= 0x80; }) - run;
            out = std::copy(run, run + ascii, out);
            i += ascii;
            if (i == size)
                break;
            const std::size_t length = utf8SequenceLength(std::string_view(reinterpret_cast<const char*>(p + i), size - i));
            const std::uint32_t c = length == 0 ? kEscapeBase + p[i] : codePoint(p + i, length);
            if (c < 0x10000) {
                *out++ = static_cast<Unit>(c);
            } else {
                *out++ = static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
                *out++ = static_cast<Unit>(0xDC00 + (c & 0x3FF));
            }
            i += length == 0 ? 1 : length;
        }
        break;
    }
    return {first, static_cast<std::size_t>(out - first)};
}

std::u16string decoded(std::string_view bytes, FileText text)
{
    std::u16string out;
    out.resize(decodeLine(bytes, text, out, 0).size());
    return out;
}

bool hasInvalidUtf8(std::string_view bytes)
{
    return !isUtf8(bytes);
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
        } else if (isHighSurrogate(c) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            appendUtf8(out, 0x10000 + ((c - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    out += '\0';
    return out;
}

} // namespace qz::regfile
