// JsonWriter.h - a JSON object written as one line, field by field; internal to the report.
#ifndef QZ_REPORT_JSONWRITER_H
#define QZ_REPORT_JSONWRITER_H

#include <optional>
#include <string>
#include <string_view>

namespace qz {

// Appends fields to out; the caller opens and closes objects and arrays. Texts that are
// not UTF-8 are written as {"bytes": "<hex>", "text": "<with U+FFFD>"}, as qzpaths does.
class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : _out(out) {}

    JsonWriter& key(std::string_view name);
    JsonWriter& text(std::string_view value);
    JsonWriter& text(const std::string& value) { return text(std::string_view(value)); }
    JsonWriter& text(const std::optional<std::string>& value);
    JsonWriter& name(const char* value); // a word of the report's vocabulary: ASCII, never null
    JsonWriter& number(long long value);
    JsonWriter& real(double value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    JsonWriter& open(char bracket);  // '{' or '['
    JsonWriter& close(char bracket); // '}' or ']'

private:
    void separate();
    std::string& _out;
    bool _first = true;
};

} // namespace qz

#endif
