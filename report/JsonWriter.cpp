// JsonWriter.cpp - a JSON object written as one line, field by field.
#include "report/JsonWriter.h"

#include "platform/QZUtf8.h"

#include <cstdio>

namespace qz {

namespace {

void appendString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

void JsonWriter::separate()
{
    if (!_first)
        _out += ',';
    _first = false;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    separate();
    appendString(_out, name);
    _out += ':';
    _first = true; // the value that follows needs no comma
    return *this;
}

JsonWriter& JsonWriter::text(std::string_view value)
{
    separate();
    if (isUtf8(value)) {
        appendString(_out, value);
        return *this;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string bytes, readable;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t length = utf8SequenceLength(value.substr(i));
        readable += length ? value.substr(i, length) : std::string_view("\xEF\xBF\xBD");
        i += length ? length : 1;
    }
    for (const char c : value) {
        bytes += kHex[static_cast<unsigned char>(c) >> 4];
        bytes += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    _out += "{\"bytes\":";
    appendString(_out, bytes);
    _out += ",\"text\":";
    appendString(_out, readable);
    _out += '}';
    return *this;
}

JsonWriter& JsonWriter::text(const std::optional<std::string>& value) { return value ? text(*value) : null(); }

JsonWriter& JsonWriter::name(const char* value)
{
    separate();
    appendString(_out, value);
    return *this;
}

JsonWriter& JsonWriter::number(long long value)
{
    separate();
    _out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::real(double value)
{
    separate();
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    _out += text;
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value)
{
    separate();
    _out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    separate();
    _out += "null";
    return *this;
}

JsonWriter& JsonWriter::open(char bracket)
{
    separate();
    _out += bracket;
    _first = true;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket)
{
    _out += bracket;
    _first = false;
    return *this;
}

} // namespace qz
