// ExportText.cpp - registry export text as regedit writes it; see ExportText.h.
#include "registry/ExportText.h"

#include "QZUtf8.h"

#include <charconv>
#include <cstdint>

namespace qzpaths::registry {

namespace {

// One character of UTF-8 at text[at], advancing at; nothing for bytes that are not
// well-formed UTF-8.
std::optional<char32_t> nextCharacter(std::string_view text, std::size_t& at)
{
    const std::size_t length = qz::utf8SequenceLength(text.substr(at));
    if (length == 0)
        return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    char32_t c = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = c << 6 | (byte(i) & 0x3F);
    at += length;
    return c;
}

void appendUnit(std::string& out, std::uint16_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// "text" with the escapes that the import undoes: \\ \" \n \r.
std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out + '"';
}

// hex(N):xx,xx,... with regedit's continuation lines, at most 25 bytes on each.
std::string hexData(std::string_view bytes, const char* tag, const FileForm& form)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = tag;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) {
            out += ',';
            if (i % 25 == 0)
                out += "\\" + form.lineEnd + "  ";
        }
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::optional<std::uint32_t> dwordOf(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::vector<std::string_view> multiStringItems(std::string_view value)
{
    std::vector<std::string_view> items;
    if (value.empty())
        return items;
    for (std::size_t start = 0;;) {
        const std::size_t cut = value.find("\\0", start);
        items.push_back(value.substr(start, cut == std::string_view::npos ? cut : cut - start));
        if (cut == std::string_view::npos)
            return items;
        start = cut + 2;
    }
}

} // namespace

const std::vector<std::string>& valueTypeNames()
{
    static const std::vector<std::string> names{"sz", "expand_sz", "multi_sz", "dword"};
    return names;
}

std::optional<ValueType> valueTypeNamed(std::string_view name)
{
    const auto& names = valueTypeNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<ValueType>(i);
    return std::nullopt;
}

FileForm formOf(std::string_view bytes)
{
    FileForm form;
    form.utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const std::size_t unit = form.utf16 ? 2 : 1;
    for (std::size_t i = form.utf16 ? 2 : 0; i + unit <= bytes.size(); i += unit) {
        const bool high = unit == 1 || bytes[i + 1] == '\0';
        if (high && bytes[i] == '\n') {
            form.lineEnd = "\n";
            return form;
        }
        if (high && bytes[i] == '\r') {
            const bool lf = i + 2 * unit <= bytes.size() && bytes[i + unit] == '\n' && (unit == 1 || bytes[i + unit + 1] == '\0');
            form.lineEnd = lf ? "\r\n" : "\r";
            return form;
        }
    }
    form.lineEnd = "\r\n"; // a file of one line: regedit's own line end
    return form;
}

std::optional<std::string> encoded(std::string_view text, const FileForm& form)
{
    if (!form.utf16)
        return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<char32_t> c = nextCharacter(text, at);
        if (!c)
            return std::nullopt;
        if (*c >= 0x10000) {
            appendUnit(out, static_cast<std::uint16_t>(0xD800 + ((*c - 0x10000) >> 10)));
            appendUnit(out, static_cast<std::uint16_t>(0xDC00 + ((*c - 0x10000) & 0x3FF)));
        } else {
            appendUnit(out, static_cast<std::uint16_t>(*c));
        }
    }
    return out;
}

std::string keyLine(std::string_view keyPath)
{
    return "[" + std::string(keyPath) + "]";
}

ValueLine valueLine(std::string_view name, ValueType type, std::string_view value, const FileForm& form)
{
    const std::string left = (name.empty() ? std::string("@") : quoted(name)) + "=";
    const std::string terminator(form.utf16 ? 2 : 1, '\0');
    std::size_t readBytes = 0; // the data's size as an 8-bit caller reads it
    std::string line;
    switch (type) {
    case ValueType::Dword: {
        const std::optional<std::uint32_t> number = dwordOf(value);
        if (!number)
            return {"", "not a 32-bit number: " + std::string(value) + " (give decimal digits, or 0x and hex digits)"};
        static const char digits[] = "0123456789abcdef";
        line = left + "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            line += digits[(*number >> shift) & 0xF];
        return {line, ""};
    }
    case ValueType::String:
        readBytes = value.size() + 1;
        line = left + quoted(value);
        break;
    case ValueType::ExpandString: {
        readBytes = value.size() + 1;
        const std::optional<std::string> bytes = encoded(value, form);
        if (!bytes)
            break;
        line = left + hexData(*bytes + terminator, "hex(2):", form);
        break;
    }
    case ValueType::MultiString: {
        std::string bytes;
        readBytes = 1;
        for (std::string_view item : multiStringItems(value)) {
            const std::optional<std::string> itemBytes = encoded(item, form);
            if (!itemBytes)
                return {"", "the value is not UTF-8, which a UTF-16 file cannot hold"};
            bytes += *itemBytes + terminator;
            readBytes += item.size() + 1;
        }
        line = left + hexData(bytes + terminator, "hex(7):", form);
        break;
    }
    }
    if (line.empty() || !encoded(value, form))
        return {"", "the value is not UTF-8, which a UTF-16 file cannot hold"};
    if (readBytes > kReadableBytes)
        return {"", "the value's data would be " + std::to_string(readBytes) + " bytes, and a lookup reads at most " +
                        std::to_string(kReadableBytes)};
    return {line, ""};
}

} // namespace qzpaths::registry
