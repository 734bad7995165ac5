// JsonText.h - how qzpaths writes a text of any bytes into JSON: valid UTF-8 as a string,
// anything else as an object that keeps every byte.
#ifndef QZPATHS_JSONTEXT_H
#define QZPATHS_JSONTEXT_H

#include "QZUtf8.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace qzpaths {

using qz::isUtf8;
using qz::utf8SequenceLength;

using json = nlohmann::ordered_json;

// A text for people: every byte that is not part of well-formed UTF-8 becomes U+FFFD.
inline std::string readableText(std::string_view text)
{
    std::string readable;
    readable.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            readable += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        } else {
            readable.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return readable;
}

// Valid UTF-8: the JSON string of the text. Anything else: {"bytes": "<two lower-case hex
// digits a byte>", "text": "<the text with U+FFFD for each byte that is not UTF-8>"}, so
// that a script recovers the exact bytes (xxd -r -p, bytes.fromhex) and a person reads
// the rest.
inline json jsonText(std::string_view text)
{
    if (isUtf8(text))
        return json(std::string(text));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string bytes;
    bytes.reserve(2 * text.size());
    for (const char c : text) {
        bytes += kHex[static_cast<unsigned char>(c) >> 4];
        bytes += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return json{{"bytes", bytes}, {"text", readableText(text)}};
}

// The same for a text that may be absent: null stays JSON null.
inline json jsonText(const char* text) { return text ? jsonText(std::string_view(text)) : json(nullptr); }

} // namespace qzpaths

#endif
