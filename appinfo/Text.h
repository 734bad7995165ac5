// Text.h - owned copies of 8-bit texts, as the library hands them out; no platform code.
#ifndef QZ_APPINFO_TEXT_H
#define QZ_APPINFO_TEXT_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace qz {

// A null text counts as the empty text wherever the library takes one.
inline std::string_view textOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// A NUL-terminated copy in a buffer of at least minimumSize bytes (the text's length
// plus one when that is more), zero-filled beyond the text.
inline std::unique_ptr<char[]> copyText(std::string_view text, std::size_t minimumSize = 0)
{
    const std::size_t size = std::max(text.size() + 1, minimumSize);
    std::unique_ptr<char[]> buffer(new char[size]());
    if (!text.empty())
        std::memcpy(buffer.get(), text.data(), text.size());
    return buffer;
}

inline std::unique_ptr<char[]> copyText(const char* text) { return copyText(textOf(text)); }

} // namespace qz

#endif
