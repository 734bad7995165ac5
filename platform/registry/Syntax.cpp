// Syntax.cpp - the shared pieces of regedit's line syntax.
#include "platform/registry/Syntax.h"

namespace qz::regfile {

using Text = std::u16string_view;

std::size_t skipBlanks(Text t, std::size_t p)
{
    while (p < t.size() && isBlank(t[p]))
        ++p;
    return p;
}

bool startsWith(Text t, std::size_t p, std::string_view tag)
{
    if (t.size() - p < tag.size())
        return false;
    for (std::size_t i = 0; i < tag.size(); ++i)
        if (t[p + i] != static_cast<unsigned char>(tag[i]))
            return false;
    return true;
}

// The header, compared as lstrcmpW compares; "REGEDIT" alone starts the Windows 3.1 form.
Header readHeader(Text t)
{
    const std::size_t begin = skipBlanks(t, 0);
    auto is = [&](std::string_view expected) {
        std::size_t k = 0;
        for (std::size_t i = begin; i < t.size(); ++i) {
            if (isSortIgnorable(t[i]))
                continue;
            if (k == expected.size() || sortEquivalent(t[i]) != static_cast<unsigned char>(expected[k]))
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

// The quote that closes quoted text at p, passing over escapes: t.size() when there is
// none, kNone at "\0" or a lone backslash at the end.
std::size_t closingQuote(Text t, std::size_t p)
{
    for (; p < t.size(); ++p) {
        if (t[p] == '"')
            return p;
        if (t[p] == '\\') {
            if (p + 1 == t.size() || t[p + 1] == '0')
                return kNone;
            ++p;
        }
    }
    return t.size();
}

bool endOfData(Text t, std::size_t p)
{
    p = skipBlanks(t, p);
    return p == t.size() || t[p] == ';';
}

std::size_t readHexType(Text t, std::size_t p, std::uint32_t& type, bool& outOfRange)
{
    if (p == t.size() || (p + 1 < t.size() && (t[p + 1] == 'x' || t[p + 1] == 'X')))
        return kNone;
    const Number number = readHexNumber(t, p, t.size(), outOfRange);
    if (t.size() - number.end < 2 || t[number.end] != ')' || t[number.end + 1] != ':')
        return kNone;
    if (number.value == 0xFFFFFFFF && outOfRange)
        return kNone;
    type = number.value;
    return number.end + 2;
}

HexLine readHexLine(Text t, std::size_t s, std::string& bytes, bool& outOfRange)
{
    // Most bytes are two ASCII digits and a comma, which wcstoul reads as they stand.
    while (s + 3 <= t.size() && t[s + 2] == ',') {
        const int high = asciiHexValue(t[s]);
        const int low = asciiHexValue(t[s + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.push_back(static_cast<char>(high * 16 + low));
        s += 3;
    }
    while (s < t.size()) {
        Number byte{0, s};
        const int high = asciiHexValue(t[s]);
        const int low = s + 1 < t.size() ? asciiHexValue(t[s + 1]) : -1;
        // Two ASCII digits at the end read as they stand; a backslash, ';' or ',' starts
        // no number (wcstoul reads nothing and sets nothing).
        if (high >= 0 && low >= 0 && (s + 2 == t.size() || t[s + 2] == ','))
            byte = {static_cast<std::uint32_t>(high * 16 + low), s + 2};
        else if (t[s] != '\\' && t[s] != ';' && t[s] != ',')
            byte = readHexNumber(t, s, t.size(), outOfRange);
        if (byte.value > 0xFF)
            return HexLine::Invalid;
        std::size_t p = byte.end;
        if (p == s) {
            p = skipBlanks(t, p);
            if (p < t.size() && t[p] == '\\') {
                p = skipBlanks(t, p + 1);
                return p < t.size() && t[p] != ';' ? HexLine::Invalid : HexLine::Continued;
            }
            return p < t.size() && t[p] == ';' ? HexLine::Done : HexLine::Invalid;
        }
        bytes.push_back(static_cast<char>(byte.value));
        if (p < t.size() && t[p] != ',')
            return endOfData(t, p) ? HexLine::Done : HexLine::Invalid;
        s = p < t.size() ? p + 1 : p;
    }
    return HexLine::Done;
}

} // namespace qz::regfile
