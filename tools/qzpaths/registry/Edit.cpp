// Edit.cpp - qzpaths registry set and unset: the stand-in file changed only where the value
// is set, under a lock, written whole and renamed over the old one; read back before it is.
#include "registry/ExportText.h"
#include "registry/Registry.h"
#include "registry/ReplaceFile.h"

#include <iostream>

namespace qzpaths::registry {

namespace {

using qz::standin::isAtOrBelow;

// Where each line of a file lies: from its first byte to its line end, and where the next
// begins. Lines end at CR, LF or CR LF, in units of two bytes in a UTF-16 file.
struct Span {
    std::size_t begin, end, next;
};
std::vector<Span> linesOf(const std::string& bytes, bool utf16)
{
    const std::size_t unit = utf16 ? 2 : 1;
    const auto is = [&](std::size_t at, char c) {
        return at + unit <= bytes.size() && bytes[at] == c && (unit == 1 || bytes[at + 1] == '\0');
    };
    std::vector<Span> lines;
    std::size_t begin = 0;
    for (std::size_t at = 0; at + unit <= bytes.size(); at += unit) {
        if (!is(at, '\r') && !is(at, '\n'))
            continue;
        const std::size_t next = is(at, '\r') && is(at + unit, '\n') ? at + 2 * unit : at + unit;
        lines.push_back({begin, at, next});
        begin = next;
        at = next - unit;
    }
    if (begin < bytes.size())
        lines.push_back({begin, bytes.size(), bytes.size()});
    return lines;
}

// The value that a lookup of name in key reads, if the file sets it.
const qz::standin::Value* valueIn(const qz::standin::File& file, const std::string& key, const std::string& name)
{
    for (const auto& holder : file.keys)
        if (isAtOrBelow(holder.path, key, false))
            for (const auto& value : holder.values)
                if (isAtOrBelow(value.name, name, false))
                    return &value;
    return nullptr;
}

// A file's bytes with lines first..last (numbered from 1) replaced by text: the last
// line's own line end stays, unless the lines go whole.
std::string replaced(const std::string& bytes, const std::vector<Span>& lines, std::size_t first, std::size_t last,
                     const std::string& text, bool whole = false)
{
    return bytes.substr(0, lines[first - 1].begin) + text +
           bytes.substr(whole ? lines[last - 1].next : lines[last - 1].end);
}

struct Target {
    std::string key;
    std::string name;
};

// NAME as a lookup reads it: A\B is the value B of the subkey A, A\ its default value.
Target targetOf(const std::string& baseKey, const std::string& name)
{
    const std::size_t cut = name.rfind('\\');
    if (cut == std::string::npos)
        return {baseKey, name};
    return {baseKey + "\\" + name.substr(0, cut), name.substr(cut + 1)};
}

Edited refuse(const std::string& file, const std::string& why) { return {"", file + " " + why + "; it is left as it was"}; }

Edited setIn(const std::optional<std::string>& current, const std::string& path, const Target& target, ValueType type,
             const std::string& value)
{
    const FileForm form = current ? formOf(*current) : FileForm{};
    const ValueLine line = valueLine(target.name, type, value, form);
    if (!line.error.empty())
        return {"", line.error};
    const std::string end = form.lineEnd;
    // Every line written is UTF-8 that the file's encoding can hold.
    if (!encoded(keyLine(target.key) + line.text, form))
        return {"", "the name is not UTF-8, which a UTF-16 file cannot hold"};
    const auto text = [&](const std::string& t) { return encoded(t, form).value_or(std::string()); };
    if (!current)
        return {"\xFF\xFE" + text(std::string(kHeader) + end + end + keyLine(target.key) + end + line.text + end), ""};

    const qz::standin::File file = qz::standin::readContents(*current, path);
    if (!file.exportFile)
        return refuse(path, "is not a registry export file");
    if (file.hasNul)
        return refuse(path, "holds a NUL character, which cuts its line short");
    const std::vector<Span> lines = linesOf(*current, form.utf16);
    if (const qz::standin::Value* set = valueIn(file, target.key, target.name))
        return {replaced(*current, lines, set->firstLine, set->lastLine, text(line.text)), ""};
    const qz::standin::Section* last = nullptr;
    for (const auto& section : file.sections)
        if (isAtOrBelow(section.key, target.key, false))
            last = &section;
    const std::size_t after = last ? last->lastLine : lines.size();
    if (file.stoppedAt != 0 && file.stoppedAt <= after + 1)
        return refuse(path, "stops its import at line " + std::to_string(file.stoppedAt) +
                                ", before the place where the value would go");
    std::string added = last ? line.text : keyLine(target.key) + end + line.text;
    if (!last && !lines.empty() && lines.back().end != lines.back().begin)
        added = end + added; // a blank line before a new section
    const std::size_t at = after == 0 ? 0 : lines[after - 1].next;
    std::string bytes = *current;
    // The line before the new one may lack its line end (the file's last line).
    const bool endless = after > 0 && lines[after - 1].next == lines[after - 1].end;
    bytes.insert(at, text((endless ? end : "") + added + end));
    return {bytes, ""};
}

Edited unsetIn(const std::optional<std::string>& current, const std::string& path, const Target& target)
{
    if (!current)
        return {"", ""}; // nothing set: nothing to do
    std::string bytes = *current;
    const FileForm form = formOf(bytes);
    // A value set twice comes back from the earlier line once the later one goes; a value
    // set more often than any file written by a person sets it is left to a person.
    for (int settings = 0;; ++settings) {
        if (settings == 100)
            return refuse(path, "sets the value more than 100 times");
        const qz::standin::File file = qz::standin::readContents(bytes, path);
        if (!file.exportFile)
            return refuse(path, "is not a registry export file");
        if (file.hasNul)
            return refuse(path, "holds a NUL character, which cuts its line short");
        const qz::standin::Value* set = valueIn(file, target.key, target.name);
        if (!set)
            return {bytes, ""};
        bytes = replaced(bytes, linesOf(bytes, form.utf16), set->firstLine, set->lastLine, "", true);
    }
}

} // namespace

int editValue(const Request& request, const std::string& baseKey, const Output& output)
{
    const std::optional<Place> place = placeOf(request);
    if (!place || !qz::standin::standInFile()) {
        std::cerr << "qzpaths: Windows keeps these settings in its registry: use reg add or reg delete\n";
        return Usage;
    }
    const std::optional<ValueType> type = valueTypeNamed(request.type);
    if (!type) {
        std::cerr << "qzpaths: --type takes sz, expand_sz, multi_sz or dword, not '" << request.type << "'\n";
        return Usage;
    }
    const Target target = targetOf(baseKey, request.name);
    const bool set = request.command == "set";
    const Replaced result = replaceFile(place->file, [&](const std::optional<std::string>& current) {
        Edited edited = set ? setIn(current, place->file, target, *type, request.value)
                            : unsetIn(current, place->file, target);
        if (!edited.refusal.empty() || (!set && !current))
            return edited;
        // Read back before the rename: the change must give exactly what was asked.
        const qz::standin::File file = qz::standin::readContents(edited.bytes, place->file);
        const qz::standin::Value* value = valueIn(file, target.key, target.name);
        const bool asked = set ? value && (*type != ValueType::String || value->data == request.value + '\0') : !value;
        if (!asked)
            return Edited{"", place->file + " would not read back as asked after the change; it is left as it was"};
        return edited;
    });
    const std::string label = (target.name.empty() ? std::string("(default)") : target.name) + " of " + target.key;
    if (!result.error.empty()) {
        std::cerr << "qzpaths: " << result.error << '\n';
        return Negative;
    }
    if (output.json) {
        printJson({{"file", jsonText(place->file)}, {"key", jsonText(target.key)}, {"name", jsonText(target.name)},
                   {"changed", result.changed}});
        return Success;
    }
    std::cout << (set ? "set " : "unset ") << label << " in " << place->file
              << (result.changed ? "" : set ? " (no change: it was set so already)" : " (no change: it was not set)")
              << '\n';
    return Success;
}

} // namespace qzpaths::registry
