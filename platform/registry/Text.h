// Text.h - a line's bytes decoded to UTF-16 units (UTF-16LE, UTF-8, code page 1252), and
// strings encoded for an 8-bit caller. Every line is decoded once, into one form.
#ifndef QZ_PLATFORM_REGISTRY_TEXT_H
#define QZ_PLATFORM_REGISTRY_TEXT_H

#include "platform/registry/Characters.h"
#include "platform/registry/RegistryFile.h"

#include <string>
#include <string_view>

namespace qz::regfile {

// How a file's lines are decoded: UTF-16LE after the FF FE mark, or 8-bit text in the
// caller's code page.
enum class FileText { Utf16, Cp1252, Utf8 };

// Bytes of 8-bit text that are not part of valid UTF-8 stand for themselves: byte b
// becomes the lone unit U+DC00 + b (b >= 0x80), which no valid UTF-8 decodes to, so such a
// byte matches only the same byte in a name and comes back unchanged in data. Only text
// decoded from UTF-8 holds them; in a UTF-16 file such a unit is a lone surrogate.
constexpr Unit kEscapeBase = 0xDC00;
inline bool isEscapedByte(Unit c) { return c >= 0xDC80 && c <= 0xDCFF; }

// The units of bytes, decoded as text is, written into buffer from start on (the buffer
// grows when it must, and never shrinks): the view holds buffer's first units up to the
// last one written. UTF-16 takes pairs of bytes (little-endian) and drops an odd last byte.
std::u16string_view decodeLine(std::string_view bytes, FileText text, std::u16string& buffer, std::size_t start);
std::u16string decoded(std::string_view bytes, FileText text);

// Whether bytes hold anything that is not valid UTF-8.
bool hasInvalidUtf8(std::string_view bytes);

// A string as RegQueryValueExA gives it to the caller: the units in its encoding, then a
// terminator. In UTF-8, escaped bytes (when escapedBytes) go back to their bytes and every
// other unpaired surrogate becomes U+FFFD, as WideCharToMultiByte makes it.
std::string encodeString(std::u16string_view units, Encoding encoding, bool escapedBytes);

} // namespace qz::regfile

#endif
