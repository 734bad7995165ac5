// Text.h - a file's contents seen as 16-bit characters (8-bit text through code page 1252
// or UTF-8, UTF-16 files as they are), and strings encoded for an 8-bit caller.
#ifndef QZ_PLATFORM_REGISTRY_TEXT_H
#define QZ_PLATFORM_REGISTRY_TEXT_H

#include "platform/registry/Characters.h"
#include "platform/registry/RegistryFile.h"

#include <cstring>
#include <string>
#include <string_view>

namespace qz::regfile {

// 8-bit text, decoded with code page 1252 as regedit decodes each line (in UTF-8 as well
// when the text is all ASCII, where both read alike).
class NarrowText {
public:
    static constexpr bool kEightBit = true;
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
    std::size_t linesFrom() const { return 2; }

private:
    std::string_view _bytes;
};

// UTF-16LE after the byte-order mark; a last odd byte is never read.
class WideText {
public:
    static constexpr bool kEightBit = false;
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
    std::size_t linesFrom() const { return 0; }

private:
    std::string_view _bytes;
};

// 8-bit text already decoded (UTF-8 with escaped bytes, see decodeUtf8).
class DecodedText {
public:
    static constexpr bool kEightBit = true;
    DecodedText(std::u16string_view units, std::size_t linesFrom) : _units(units), _linesFrom(linesFrom) {}
    std::size_t size() const { return _units.size(); }
    Unit operator[](std::size_t i) const { return _units[i]; }
    std::size_t lineEnd(std::size_t from) const
    {
        while (from < _units.size() && _units[from] != '\r' && _units[from] != '\n')
            ++from;
        return from;
    }
    std::size_t linesFrom() const { return _linesFrom; }

private:
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
// Code page 1252 as UTF-16 units.
std::u16string decodeCp1252(std::string_view bytes);

bool isAscii(std::string_view bytes);

// A string as RegQueryValueExA gives it to the caller: the units in its encoding, then a
// terminator. In UTF-8, escaped bytes of 8-bit text go back to their bytes and every
// other unpaired surrogate becomes U+FFFD, as WideCharToMultiByte makes it.
std::string encodeString(std::u16string_view units, Encoding encoding, bool escapedBytes);

} // namespace qz::regfile

#endif
