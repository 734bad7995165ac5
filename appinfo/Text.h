// Text.h - owned copies of 8-bit texts, as the library hands them out; no platform code.
#ifndef QZ_APPINFO_TEXT_H
#define QZ_APPINFO_TEXT_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

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

// The entries of a list of directories such as PATH or QZ_CONFIG_PATH, in order. Runs
// of delimiters give no empty entries, and an entry that begins with '.' (".", "..",
// ".\tools", ".hidden") names a place relative to wherever the process happens to run,
// so it is no entry at all. Everything else, blanks included, is kept verbatim. skipped,
// when given, receives the entries that were left out for their leading '.'.
inline std::vector<std::string_view> listEntries(std::string_view list, std::string_view delimiters,
                                                 std::vector<std::string_view>* skipped = nullptr)
{
    // One pass over the list, one look in this table per character.
    bool delimiter[256] = {};
    for (char c : delimiters)
        delimiter[static_cast<unsigned char>(c)] = true;
    auto isDelimiter = [&delimiter](char c) { return delimiter[static_cast<unsigned char>(c)]; };
    std::vector<std::string_view> entries;
    entries.reserve(16); // room for most lists at once
    std::size_t start = 0;
    while (start < list.size()) {
        if (isDelimiter(list[start])) {
            ++start;
            continue;
        }
        std::size_t end = start + 1;
        while (end < list.size() && !isDelimiter(list[end]))
            ++end;
        const std::string_view entry = list.substr(start, end - start);
        if (entry.front() != '.')
            entries.push_back(entry);
        else if (skipped)
            skipped->push_back(entry);
        start = end;
    }
    return entries;
}

} // namespace qz

#endif
