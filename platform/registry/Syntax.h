// Syntax.h - the pieces of regedit's line syntax that the import's states share: blanks,
// tags, escapes, the closing quote of quoted text, and the header.
#ifndef QZ_PLATFORM_REGISTRY_SYNTAX_H
#define QZ_PLATFORM_REGISTRY_SYNTAX_H

#include "platform/registry/Characters.h"
#include "platform/registry/Import.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qz::regfile {

// The first place at or after p that holds no blank, or t.size().
std::size_t skipBlanks(std::u16string_view t, std::size_t p);
// Whether t holds the ASCII text tag at p, letter case as it stands.
bool startsWith(std::u16string_view t, std::size_t p, std::string_view tag);
// The character that an escape \c stands for.
inline Unit unescaped(Unit c) { return c == 'n' ? Unit{'\n'} : c == 'r' ? Unit{'\r'} : c; }
// The header on a file's first line, compared as lstrcmpW compares.
Header readHeader(std::u16string_view t);
// The quote that closes quoted text at p, passing over escapes: t.size() when there is
// none, kNone at "\0" or a lone backslash at the end.
std::size_t closingQuote(std::u16string_view t, std::size_t p);
// Whether only blanks or a ';' comment follow p.
bool endOfData(std::u16string_view t, std::size_t p);

// hex(N): N is read by wcstoul, so blanks and a sign may lead it; a second character 'x'
// is refused, and so is ffffffff once any number in the file has overflowed
// (outOfRange). Sets type and returns where the data starts after "):", or kNone.
std::size_t readHexType(std::u16string_view t, std::size_t p, std::uint32_t& type, bool& outOfRange);

// One line of comma-separated bytes from s, appended to bytes: Done at its end or at a
// comment, Continued when it ends in a backslash, Invalid when regedit drops the value.
enum class HexLine { Done, Continued, Invalid };
HexLine readHexLine(std::u16string_view t, std::size_t s, std::string& bytes, bool& outOfRange);

} // namespace qz::regfile

#endif
