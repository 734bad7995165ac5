// JsonText.h - how qzpaths writes a text of any bytes into JSON: valid UTF-8 as a string,
// anything else as an object that keeps every byte.
#ifndef QZPATHS_JSONTEXT_H
#define QZPATHS_JSONTEXT_H

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace qzpaths {

using json = nlohmann::ordered_json;

// The length of the well-formed UTF-8 sequence at the start of text (1 to 4), or 0 when
// it starts with a byte that no such sequence can start with here (overlong forms,
// surrogates and code points above U+10FFFF are not well-formed).
inline std::size_t utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

inline bool isUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

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
