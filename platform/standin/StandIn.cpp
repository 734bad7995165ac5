// StandIn.cpp - a registry export file imported for its tools: the values that the import
// leaves with their lines, and what it met on the way, in words.
#include "platform/QZRegistryStandIn.h"

#include "platform/FileContents.h"
#include "platform/Platform.h"
#include "platform/QZUtf8.h"
#include "platform/registry/Import.h"
#include "platform/registry/Lines.h"

#include <algorithm>
#include <map>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qz::standin {

namespace {

using namespace regfile;

// A file of this size or more makes every start-up slower by about 20 ms on a machine of
// today (bench/README.md: an import costs about 18 ms per megabyte).
constexpr std::size_t kLargeFile = 1024 * 1024;

const char* rootName(Root root)
{
    static const char* const names[] = {"HKEY_LOCAL_MACHINE", "HKEY_USERS",        "HKEY_CLASSES_ROOT",
                                        "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_DYN_DATA"};
    return root == Root::None ? "" : names[static_cast<std::size_t>(root)];
}

std::string utf8(std::u16string_view units, bool escapedBytes)
{
    std::string text = encodeString(units, Encoding::Utf8, escapedBytes);
    text.pop_back(); // the terminator
    return text;
}

std::string keyText(const KeyPath& path, bool escapedBytes)
{
    std::string text = rootName(path.root);
    for (const std::u16string& name : path.names)
        text += '\\' + utf8(name, escapedBytes);
    return text;
}

std::string valueLabel(const std::string& name) { return name.empty() ? "(default)" : "\"" + name + "\""; }

// A key's path for a finding's words: long paths keep their first and last characters, so
// that no finding costs more than a bounded text however deep its key lies.
constexpr std::size_t kLabelHead = 60, kLabelTail = 60;
std::string shortened(const std::string& text)
{
    if (text.size() <= kLabelHead + kLabelTail + 3)
        return text;
    return text.substr(0, kLabelHead) + "..." + text.substr(text.size() - kLabelTail);
}
std::string keyLabel(const KeyPath& path, bool escapedBytes)
{
    std::string head = rootName(path.root), tail;
    std::size_t first = 0;
    for (; first < path.names.size() && head.size() <= kLabelHead; ++first)
        head += '\\' + utf8(path.names[first], escapedBytes);
    for (std::size_t last = path.names.size(); last > first && tail.size() <= kLabelTail; --last)
        tail = '\\' + utf8(path.names[last - 1], escapedBytes) + tail;
    return shortened(head + tail); // joined whole when nothing lies between them
}

const char* ignoredWords(ImportObserver::Ignored why)
{
    switch (why) {
    case ImportObserver::Ignored::NotASetting: return "ignored: neither a key, a value, a comment nor blank";
    case ImportObserver::Ignored::BadKeyLine: return "ignored: a key line without ']' or with a blank after '['; later values still go to the key opened before";
    case ImportObserver::Ignored::UnknownRoot: return "ignored: a key outside the registry's roots (HKEY_LOCAL_MACHINE, ...); its values are dropped too";
    case ImportObserver::Ignored::RefusedKeyPath: return "ignored: a key path that the registry refuses (a leading backslash, or a name over 256 characters); its values are dropped too";
    case ImportObserver::Ignored::NoKeyOpen: return "ignored: a value with no key open to take it";
    case ImportObserver::Ignored::BadValueName: return "ignored: a value name without its closing quote, or with \\0 or a lone backslash";
    case ImportObserver::Ignored::BadValue: return "ignored: a malformed value: regedit reads no data from it (no type, bad digits, or text after the data)";
    case ImportObserver::Ignored::BadContinuation: return "ignored: a continuation line that does not start with a hex digit";
    }
    return "ignored";
}

const char* stopWords(ImportObserver::Stop why)
{
    switch (why) {
    case ImportObserver::Stop::BadString: return "the import stops here: \\0 or a lone backslash at the end of string data; no later line is read";
    case ImportObserver::Stop::RootDeletion: return "the import stops here: a deletion of a root itself or of an unknown root; no later line is read";
    case ImportObserver::Stop::NoWholeCharacter: return "the import stops here: hex data of a string type without one whole character; no later line is read";
    }
    return "the import stops here";
}

// Keeps what the import meets, in words, and the lines where sections begin and end.
class Watcher final : public ImportObserver {
public:
    explicit Watcher(File& file) : _file(file) {}
    bool escapedBytes = false;

    void ignored(std::size_t line, Ignored why) override
    {
        _file.findings.push_back({Finding::Kind::Ignored, line, ignoredWords(why)});
        if (why == Ignored::UnknownRoot || why == Ignored::RefusedKeyPath)
            boundaries.push_back(line);
    }
    void stopped(std::size_t line, Stop why) override
    {
        _file.findings.push_back({Finding::Kind::Stopped, line, stopWords(why)});
    }
    void keyOpened(std::size_t line, const KeyPath& key) override
    {
        opened.push_back({line, key});
        boundaries.push_back(line);
    }
    void keyDeleted(std::size_t line, const KeyPath& key, bool existed) override
    {
        boundaries.push_back(line);
        _file.findings.push_back({Finding::Kind::KeyDeleted, line,
                                  "the key " + keyLabel(key, escapedBytes) + " is deleted with its subkeys and values" +
                                      (existed ? "" : " (it did not exist)"),
                                  0, false});
    }
    void valueDeleted(std::size_t line, const KeyPath& key, std::u16string_view name, bool existed) override
    {
        _file.findings.push_back({Finding::Kind::ValueDeleted, line,
                                  "the value " + valueLabel(utf8(name, escapedBytes)) + " of " +
                                      keyLabel(key, escapedBytes) + " is deleted" + (existed ? "" : " (it did not exist)"),
                                  0, false});
    }
    void valueReplaced(const KeyPath& key, const regfile::Value& value, std::size_t earlierLine) override
    {
        // The value's lines are those of the line that replaces it.
        _file.findings.push_back({Finding::Kind::ValueReplaced, value.firstLine,
                                  "the value " + valueLabel(utf8(value.name, escapedBytes)) + " of " +
                                      keyLabel(key, escapedBytes) + " is set again: this line wins over line " +
                                      std::to_string(earlierLine),
                                  earlierLine, true});
    }

    std::vector<std::size_t> boundaries; // lines after which a section no longer takes values
    std::vector<std::pair<std::size_t, KeyPath>> opened; // each key line that opens a key

private:
    File& _file;
};

// Every key that holds values, depth first, with its values; keys are walked without
// recursion and each key's path is spelled only when it holds values (a file may nest keys
// deeply). sectionsOf gives the sections (indices, by line) that opened each key.
void collect(const Imported& imported, File& file,
             const std::map<const regfile::Key*, std::vector<std::size_t>>& sectionsOf,
             const std::vector<std::size_t>& boundaries)
{
    struct Node {
        const regfile::Key* key;
        std::size_t parent;
    };
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<Node> nodes;
    std::vector<std::size_t> stack;
    for (std::size_t root = kRoots; root-- > 0;) {
        if (static_cast<Root>(root) == Root::ClassesRoot)
            continue;
        nodes.push_back({&imported.tree.root(static_cast<Root>(root)), kNone});
        stack.push_back(nodes.size() - 1);
    }
    const bool escaped = imported.escapedBytes();
    while (!stack.empty()) {
        const std::size_t at = stack.back();
        stack.pop_back();
        const regfile::Key* key = nodes[at].key;
        if (!key->values.empty()) {
            std::vector<const regfile::Key*> chain;
            for (std::size_t i = at; i != kNone; i = nodes[i].parent)
                chain.push_back(nodes[i].key);
            Key listed;
            for (std::size_t i = kRoots; i-- > 0;)
                if (&imported.tree.root(static_cast<Root>(i)) == chain.back())
                    listed.path = rootName(static_cast<Root>(i));
            for (auto k = chain.rbegin() + 1; k != chain.rend(); ++k)
                listed.path += '\\' + utf8((*k)->name, escaped);
            const auto sections = sectionsOf.find(key);
            for (const auto& [folded, value] : key->values) {
                listed.values.push_back({utf8(value.name, escaped), value.type, dataOf(value, imported, Encoding::Utf8),
                                         value.firstLine, value.lastLine});
                if (sections == sectionsOf.end())
                    continue;
                // The section that holds the line: the last one opened before it, unless
                // another key line came between.
                const std::vector<std::size_t>& mine = sections->second;
                auto after = std::upper_bound(mine.begin(), mine.end(), value.firstLine, [&](std::size_t line, std::size_t s) {
                    return line < file.sections[s].keyLine;
                });
                if (after == mine.begin())
                    continue;
                Section& section = file.sections[*(after - 1)];
                const auto next = std::upper_bound(boundaries.begin(), boundaries.end(), section.keyLine);
                if (next == boundaries.end() || value.firstLine < *next)
                    section.lastLine = std::max(section.lastLine, value.lastLine);
            }
            file.valueCount += listed.values.size();
            file.keys.push_back(std::move(listed));
        }
        for (auto sub = key->subkeys.rbegin(); sub != key->subkeys.rend(); ++sub) {
            nodes.push_back({sub->second, at});
            stack.push_back(nodes.size() - 1);
        }
    }
}

} // namespace

std::string typeName(std::uint32_t type)
{
    static const char* const names[] = {"REG_NONE", "REG_SZ",   "REG_EXPAND_SZ", "REG_BINARY",
                                        "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
    if (type < sizeof names / sizeof names[0])
        return names[type];
    return type == 11 ? "REG_QWORD" : "REG_" + std::to_string(type);
}

bool isText(std::uint32_t type) { return isStringType(type); }

std::string_view unexpandedName(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    const std::size_t open = text.find('%');
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos || close == open + 1)
        return {};
    return text.substr(open, close - open + 1);
}

File readContents(std::string_view contents, const std::string& path)
{
    File file;
    file.path = path;
    file.bytes = contents.size();
    Watcher watcher(file);
    watcher.escapedBytes = !(contents.size() >= 2 && contents[0] == '\xFF' && contents[1] == '\xFE');
    const Imported imported = importRegistry(contents, Encoding::Utf8, &watcher);
    file.exportFile = imported.exportFile();
    file.utf16 = imported.utf16();
    file.hasNul = contents.size() >= 2 && containsNul(contents, file.utf16);
    file.stoppedAt = imported.stoppedAt;
    if (!file.exportFile)
        return file;
    // The sections in the order of their lines, each with the key that it opened.
    std::sort(watcher.boundaries.begin(), watcher.boundaries.end());
    std::map<const regfile::Key*, std::vector<std::size_t>> sectionsOf;
    for (const auto& [line, opened] : watcher.opened) {
        file.sections.push_back({keyText(opened, watcher.escapedBytes), line, line});
        if (const regfile::Key* key = imported.tree.find(opened))
            sectionsOf[key].push_back(file.sections.size() - 1);
    }
    collect(imported, file, sectionsOf, watcher.boundaries);
    for (const Key& key : file.keys) {
        const std::string where = shortened(key.path);
        const bool read = isAtOrBelow(key.path, "HKEY_LOCAL_MACHINE", true);
        for (const Value& value : key.values) {
            const std::string label = "the value " + valueLabel(value.name) + " of " + where;
            if (!read)
                file.findings.push_back({Finding::Kind::NotRead, value.firstLine,
                                         label + " is never read: the suite reads only HKEY_LOCAL_MACHINE", 0, false});
            if (!isStringType(value.type))
                file.findings.push_back({Finding::Kind::NotText, value.firstLine,
                                         label + " is " + typeName(value.type) + " data, not text: a lookup takes its " +
                                             std::to_string(value.data.size()) + " bytes as they stand",
                                         0, false});
            const std::string_view unexpanded = isStringType(value.type) ? unexpandedName(value.data) : "";
            if (!unexpanded.empty())
                file.findings.push_back({Finding::Kind::NotExpanded, value.firstLine,
                                         label + " holds " + shortened(std::string(unexpanded)) +
                                             ", which nothing expands: it is used as it stands",
                                         0, false});
            if (value.data.size() > kReadLimit)
                file.findings.push_back({Finding::Kind::TooLong, value.firstLine,
                                         label + " holds " + std::to_string(value.data.size()) +
                                             " bytes: a lookup reads at most " + std::to_string(kReadLimit) +
                                             ", so it counts as not set"});
        }
    }
    if (!file.utf16) {
        LineReader lines(contents, false);
        std::string_view line;
        while (lines.next(line))
            if (!isUtf8(line))
                file.findings.push_back({Finding::Kind::NotUtf8, lines.number(),
                                         "bytes that are not UTF-8: lookups give them back as they stand, and "
                                         "names with them match only the same bytes"});
    }
    if (file.bytes >= kLargeFile)
        file.findings.push_back({Finding::Kind::TooLarge, 0,
                                 "the file holds " + std::to_string(file.bytes) +
                                     " bytes: every start-up imports it whole, about 18 ms a megabyte",
                                 0, false});
    std::stable_sort(file.findings.begin(), file.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return file;
}

File readFile(const std::string& path)
{
    File unread;
    unread.path = path;
    if (platform::status(path.c_str()) == platform::Status::Directory) {
        unread.error = "a directory, not a file";
        return unread;
    }
    errno = 0;
    const std::optional<platform::FileBytes> contents = platform::fileBytes(path.c_str());
    if (!contents) {
        unread.error = std::strerror(errno ? errno : ENOENT);
        return unread;
    }
    return readContents(contents->view(), path);
}

bool isAtOrBelow(std::string_view key, std::string_view keyPath, bool subkeys)
{
    const std::u16string wanted = folded(decoded(keyPath, FileText::Utf8));
    const std::u16string have = folded(decoded(key, FileText::Utf8));
    if (have.size() < wanted.size() || have.compare(0, wanted.size(), wanted) != 0)
        return false;
    return have.size() == wanted.size() || (subkeys && have[wanted.size()] == u'\\');
}

} // namespace qz::standin
