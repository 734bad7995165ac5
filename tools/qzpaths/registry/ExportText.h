// ExportText.h - registry export text as regedit writes it: a file's form (encoding and
// line end), its key lines and value lines whose data reads back byte for byte.
#ifndef QZPATHS_REGISTRY_EXPORTTEXT_H
#define QZPATHS_REGISTRY_EXPORTTEXT_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qzpaths::registry {

// The types that qzpaths registry set writes (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD).
enum class ValueType { String, ExpandString, MultiString, Dword };
std::optional<ValueType> valueTypeNamed(std::string_view name); // sz, expand_sz, multi_sz, dword
const std::vector<std::string>& valueTypeNames();

// How a file is written: UTF-16LE when it begins with FF FE, else 8-bit text; lines end
// as its first line does. A new file is written as regedit exports one: UTF-16LE, CRLF.
struct FileForm {
    bool utf16 = true;
    std::string lineEnd = "\r\n";
};
FileForm formOf(std::string_view bytes);

// 8-bit text (what a caller of the library reads: UTF-8 on Linux) in the file's encoding:
// unchanged for an 8-bit file, UTF-16LE for a UTF-16 one; nothing when the text is not
// UTF-8 and so has no UTF-16 form.
std::optional<std::string> encoded(std::string_view text, const FileForm& form);

// The header line that a new file gets.
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
// "[HKEY_LOCAL_MACHINE\...]" for a key path with its root.
std::string keyLine(std::string_view keyPath);

// A value written for a file of this form: its line as 8-bit text (continuation lines of
// long hex data joined by form.lineEnd), or the reason it cannot be written. name "" is
// the key's default value (@). MultiString items are separated by the two characters \0
// in value, as reg.exe takes them; Dword takes a decimal number or 0x and hex digits.
struct ValueLine {
    std::string text;
    std::string error; // empty when text holds the line
};
ValueLine valueLine(std::string_view name, ValueType type, std::string_view value, const FileForm& form);

// The most data bytes that a lookup reads, as an 8-bit caller counts them.
constexpr std::size_t kReadableBytes = 1023;

} // namespace qzpaths::registry

#endif
