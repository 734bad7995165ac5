// Import.h - the import state machine: replays regedit's import of a file, line by line,
// for the one wanted key and value, and decodes that value's data for the caller.
#ifndef QZ_PLATFORM_REGISTRY_IMPORT_H
#define QZ_PLATFORM_REGISTRY_IMPORT_H

#include "platform/registry/Characters.h"
#include "platform/registry/KeyPath.h"
#include "platform/registry/Lines.h"
#include "platform/registry/Text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The reference is Wine 8: its regedit import (regproc.c) and its registry. Where
// regedit's own checks are quirky, the quirks are kept, because a file must read here
// exactly as it reads after `regedit /S` on the machines it comes from.
//
// One pass, no allocation per line: every line is parsed to keep regedit's state, and
// only the position of the last line that set the wanted value is remembered; that one
// value is decoded at the end. Each line is read a bounded number of times, so the whole
// import is linear in the file's size.
//
// The file stands for the whole registry, so keys that Wine links to one another inside
// HKEY_LOCAL_MACHINE (Wow6432Node, CurrentControlSet, HKEY_CURRENT_CONFIG) are separate
// here; only HKEY_CLASSES_ROOT, which is SOFTWARE\Classes itself, is followed.

namespace qz::regfile {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

inline bool isStringType(std::uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

enum class Parse { Valid, Invalid, Stop };

// Where the wanted value got its data, to decode it once the whole file is read.
struct Setting {
    enum class Form { Quoted, Dword, Hex, Plain } form;
    std::uint32_t type;
    std::size_t begin;     // the data on its first line
    std::size_t end;
    std::size_t nextLine;  // where its continuation lines start
    std::size_t bytes = 0; // hex data: how many bytes it holds
};


enum class Header { None, Win31, Version4, Version5 };

// The header, compared as lstrcmpW compares; "REGEDIT" alone starts the Windows 3.1 form.
template <class Text>
Header readHeader(const Text& text, std::size_t begin, std::size_t end)
{
    while (begin < end && isBlank(text.ascii(begin)))
        ++begin;
    auto is = [&](std::string_view expected) {
        std::size_t k = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const Unit c = text[i];
            if (isSortIgnorable(c))
                continue;
            if (k == expected.size() || sortEquivalent(c) != static_cast<unsigned char>(expected[k]))
                return false;
            ++k;
        }
        return k == expected.size();
    };
    if (is("REGEDIT"))
        return Header::Win31;
    if (is("REGEDIT4"))
        return Header::Version4;
    if (is("Windows Registry Editor Version 5.00"))
        return Header::Version5;
    return Header::None;
}

// Replays regedit's import for the one wanted value.
template <class Text>
class Importer {
public:
    // lfOnly: the text ends its lines with LF alone (LineReader).
    Importer(const Text& text, const Target& target, Encoding encoding, bool lfOnly = false)
        : _text(text), _target(target), _encoding(encoding), _lfOnly(lfOnly), _lines(text, text.linesFrom(), lfOnly)
    {
    }

    std::optional<Setting> run()
    {
        Line first;
        if (!_lines.next(first))
            return std::nullopt;
        const Header header = header_(first.end);
        if (header == Header::None)
            return std::nullopt;
        _exportFile = true;
        _keyExists = _target.isRoot;
        Line line;
        while (!_stopped && _lines.next(line)) {
            if (header == Header::Win31)
                win31Line(line);
            else
                regeditLine(line);
        }
        if (_found < 0)
            return std::nullopt;
        return _settings[_found];
    }

    bool exportFile() const { return _exportFile; }
    // Whether the key exists once the file is imported: a key line of it or of a key
    // below it created it, and no deletion of it or of a key above it came later.
    bool keyFound() const { return _keyExists; }

    // The fewest bytes that decode gives for the setting: for hex data, its bytes, or in
    // the caller's encoding one for each UTF-16 character of string-typed data but a
    // terminator it may end in, and a terminator.
    static std::size_t leastDecodedSize(const Setting& setting)
    {
        if (setting.form != Setting::Form::Hex)
            return 0;
        return Text::kEightBit || !isStringType(setting.type) ? setting.bytes : setting.bytes / 2;
    }

    // The bytes RegQueryValueExA gives for what the setting stored, in the caller's encoding.
    std::string decode(const Setting& setting)
    {
        switch (setting.form) {
        case Setting::Form::Quoted: {
            std::u16string text;
            if constexpr (std::is_same_v<Text, Utf8Text>) {
                const std::u16string units = decodeUtf8(_text.view(setting.begin, setting.end));
                unquote(DecodedText(units, 0), 0, units.size(), &text);
            } else {
                unquote(_text, setting.begin, setting.end, &text);
            }
            return encodeString(text, _encoding, escapedBytes());
        }
        case Setting::Form::Plain: {
            std::u16string text;
            if constexpr (std::is_same_v<Text, Utf8Text>) {
                text = decodeUtf8(_text.view(setting.begin, setting.end));
            } else {
                for (std::size_t p = setting.begin; p < setting.end; ++p)
                    text.push_back(_text[p]);
            }
            return encodeString(text, _encoding, escapedBytes());
        }
        case Setting::Form::Dword: {
            std::string bytes;
            dwordData(setting.begin, setting.end, &bytes);
            return bytes;
        }
        case Setting::Form::Hex:
            break;
        }
        std::string bytes;
        bytes.reserve(setting.bytes);
        Setting again = setting;
        LineReader<Text> lines(_text, setting.nextLine, _lfOnly);
        hexData(again, lines, &bytes);
        if (!isStringType(setting.type) || setting.begin == setting.end)
            return bytes;
        return hexStringToAnsi(bytes);
    }

private:
    // Escaped bytes (Text.h) arise only from 8-bit text read as UTF-8.
    static constexpr bool escapedBytes()
    {
        return std::is_same_v<Text, DecodedText> || std::is_same_v<Text, Utf8Text>;
    }

    // The header on the first line, which ends at end; UTF-8 is decoded for lstrcmpW.
    Header header_(std::size_t end) const
    {
        if constexpr (std::is_same_v<Text, Utf8Text>) {
            const std::u16string units = decodeUtf8(_text.view(0, end));
            return readHeader(DecodedText(units, 0), 0, units.size());
        } else {
            return readHeader(_text, 0, end);
        }
    }

    // How the key path in [begin, end) stands to the wanted key: UTF-8 beyond ASCII is
    // decoded first, since names compare and count as UTF-16 units.
    PathMatch pathMatch(std::size_t begin, std::size_t end, const KeyView& view) const
    {
        if constexpr (std::is_same_v<Text, Utf8Text>) {
            const std::string_view bytes = _text.view(begin, end);
            if (!isAscii(bytes)) {
                const std::u16string units = decodeUtf8(bytes);
                return matchPath(DecodedText(units, 0), 0, units.size(), view);
            }
        }
        return matchPath(_text, begin, end, view);
    }

    // String-typed hex data gets a terminator unless it ends in one; UTF-16 data loses an
    // odd last byte on the way to the caller's encoding, 8-bit data comes back as it was.
    std::string hexStringToAnsi(std::string bytes) const
    {
        if constexpr (Text::kEightBit) {
            if (bytes.back() != '\0')
                bytes += '\0';
            return bytes;
        } else {
            std::u16string text;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                text.push_back(static_cast<Unit>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
            if (text.back() == 0)
                text.pop_back();
            return encodeString(text, _encoding, escapedBytes());
        }
    }

    enum class Open { None, Other, Wanted };

    void regeditLine(const Line& line)
    {
        const std::size_t p = skipBlanks(line.begin, line.end);
        if (p == line.end)
            return;
        if (_text.ascii(p) == '[')
            keyLine(p + 1, line.end);
        else if (_text.ascii(p) == '@')
            valueData(_target.name.empty(), p + 1, line.end);
        else if (_text.ascii(p) == '"')
            quotedValue(p + 1, line.end);
    }

    // [key], [-key]: the name runs to the last ']'; a line without one, or with a blank
    // right after '[', changes nothing, so values still go to the key opened before.
    void keyLine(std::size_t begin, std::size_t end)
    {
        if (begin < end && isBlank(_text.ascii(begin)))
            return;
        const std::size_t close = _text.findLast(']', begin, end);
        if (close == kNone)
            return;
        // A key line reads the same wherever it stands, so the outcome of one of the last
        // two distinct ones is taken again when the line's text is the same.
        const std::size_t length = close - begin;
        KeyMemo* memo = nullptr;
        for (KeyMemo& m : _memos)
            if (m.length == length && _text.sameUnits(m.begin, begin, length))
                memo = &m;
        if (!memo) {
            memo = &_memos[_nextMemo];
            _nextMemo ^= 1;
            *memo = {begin, length, begin < close && _text.ascii(begin) == '-' ? deleteOutcome(begin + 1, close)
                                                                          : openOutcome(begin, close)};
        }
        apply(memo->outcome);
    }

    // What a key line does: the key it opens for the values after it, whether it creates
    // the wanted key, whether it deletes the wanted value with the key, whether it stops
    // the import.
    struct KeyOutcome {
        Open open = Open::None;
        bool creates = false;
        bool deletes = false;
        bool stops = false;
    };

    struct KeyMemo {
        std::size_t begin = 0;
        std::size_t length = kNone;
        KeyOutcome outcome;
    };

    void apply(const KeyOutcome& outcome)
    {
        _open = outcome.open;
        if (outcome.creates)
            _keyExists = true;
        if (outcome.deletes) {
            _found = -1;
            _keyExists = false;
        }
        if (outcome.stops)
            _stopped = true;
    }

    void openKey(std::size_t begin, std::size_t end) { apply(openOutcome(begin, end)); }

    KeyOutcome openOutcome(std::size_t begin, std::size_t end) const
    {
        KeyOutcome outcome;
        std::size_t below = kNone;
        const Root root = parseRoot(_text, begin, end, below);
        if (root == Root::None)
            return outcome;
        outcome.open = Open::Other;
        for (const KeyView& view : _target.views) {
            if (view.root != root)
                continue;
            const PathMatch match = below == kNone ? PathMatch{true, 0, 0} : pathMatch(below, end, view);
            if (!match.valid) {
                outcome.open = Open::None;
                continue;
            }
            if (match.equal == view.names.size())
                outcome.creates = true;
            if (match.names == view.names.size() && match.equal == match.names)
                outcome.open = Open::Wanted;
        }
        // A key below HKEY_CLASSES_ROOT creates HKEY_LOCAL_MACHINE\SOFTWARE\Classes and
        // what lies above it.
        if (root == Root::ClassesRoot && outcome.open != Open::None)
            for (const KeyView& view : _target.views)
                if (view.root == Root::LocalMachine && view.names.size() <= 2 &&
                    std::equal(view.names.begin(), view.names.end(), kClassesPath))
                    outcome.creates = true;
        return outcome;
    }

    // regedit gives up on the whole file at a deletion whose root it cannot read or that
    // names a root itself.
    KeyOutcome deleteOutcome(std::size_t begin, std::size_t end) const
    {
        KeyOutcome outcome;
        if (begin == end || (_text.ascii(begin) != 'H' && _text.ascii(begin) != 'h'))
            return outcome;
        std::size_t below = kNone;
        const Root root = parseRoot(_text, begin, end, below);
        if (root == Root::None || below == kNone || below == end) {
            outcome.stops = true;
            return outcome;
        }
        for (const KeyView& view : _target.views) {
            if (view.root != root)
                continue;
            const PathMatch match = pathMatch(below, end, view);
            if (match.valid && match.equal == match.names && match.names <= view.names.size())
                outcome.deletes = true;
        }
        return outcome;
    }

    // "name" with the escapes \\ \" \n \r; \0 or a lone backslash at the end, or no
    // closing quote, drop the line. The name is compared while it matches the wanted one;
    // past that, only where it ends counts.
    void quotedValue(std::size_t begin, std::size_t end)
    {
        // A name reads the same wherever it stands: the last one read, with its closing
        // quote, is compared as text before the name is read again.
        if (_nameMemo.length != kNone && end - begin >= _nameMemo.length &&
            _text.sameUnits(_nameMemo.begin, begin, _nameMemo.length)) {
            valueData(_nameMemo.wanted, begin + _nameMemo.length, end);
            return;
        }
        const std::u16string& want = _target.name;
        std::size_t length = 0;
        bool same = true;
        std::size_t p = begin;
        while (same && p < end && _text.ascii(p) != '"') {
            const bool escape = _text.ascii(p) == '\\';
            if (escape && (++p == end || _text.ascii(p) == '0'))
                return;
            Unit units[2] = {_text[p], 0};
            std::size_t count = 1;
            std::size_t next = p + 1;
            if constexpr (std::is_same_v<Text, Utf8Text>)
                if (!_text.isAsciiAt(p))
                    count = _text.unitsAt(p, units, next);
            if (escape)
                units[0] = unescaped(units[0]);
            for (std::size_t k = 0; same && k < count; ++k) {
                same = length < want.size() && foldCase(units[k]) == want[length];
                ++length;
            }
            p = next;
        }
        if (!same)
            p = closingQuote(p, end);
        if (p == end || p == kNone)
            return;
        _nameMemo = {begin, p + 1 - begin, same && length == want.size()};
        valueData(_nameMemo.wanted, p + 1, end);
    }

    struct NameMemo {
        std::size_t begin = 0;
        std::size_t length = kNone; // through the closing quote
        bool wanted = false;
    };

    // The quote that closes a quoted text at p, passing over escapes: end when there is
    // none, kNone at "\0" or a lone backslash at the end. A short text takes one scan for
    // both characters; a long one two (memchr), for the next quote and the next
    // backslash, each kept until the reading passes it.
    std::size_t closingQuote(std::size_t p, std::size_t end) const
    {
        if (end - p <= 16) {
            for (;;) {
                const std::size_t stop = _text.template findEither<'"', '\\'>(p, end);
                if (stop == end || _text.ascii(stop) == '"')
                    return stop;
                if (stop + 1 == end || _text.ascii(stop + 1) == '0')
                    return kNone;
                p = stop + 2;
            }
        }
        std::size_t quote = _text.find('"', p, end);
        std::size_t slash = _text.find('\\', p, quote);
        while (slash < quote) {
            if (slash + 1 == end || _text.ascii(slash + 1) == '0')
                return kNone;
            p = slash + 2;
            if (quote < p)
                quote = _text.find('"', p, end);
            slash = _text.find('\\', p, quote);
        }
        return quote;
    }

    static Unit unescaped(Unit c) { return c == 'n' ? Unit{'\n'} : c == 'r' ? Unit{'\r'} : c; }

    // After the name: blanks, '=', blanks, then the data with trailing blanks cut off.
    void valueData(bool wanted, std::size_t p, std::size_t end)
    {
        p = skipBlanks(p, end);
        if (p == end || _text.ascii(p) != '=')
            return;
        ++p;
        p = skipBlanks(p, end);
        while (end > p && isBlank(_text.ascii(end - 1)))
            --end;
        wanted = wanted && _open == Open::Wanted;
        if (p < end && _text.ascii(p) == '-')
            deleteValue(wanted, p + 1, end);
        else
            typedData(wanted, p, end);
    }

    void deleteValue(bool wanted, std::size_t p, std::size_t end)
    {
        p = skipBlanks(p, end);
        if (wanted && (p == end || _text.ascii(p) == ';'))
            _found = -1;
    }

    // The first place in [p, end) that holds no blank, or end.
    std::size_t skipBlanks(std::size_t p, std::size_t end) const
    {
        while (p < end && isBlank(_text.ascii(p)))
            ++p;
        return p;
    }

    bool startsWith(std::size_t p, std::size_t end, std::string_view tag) const
    {
        if (end - p < tag.size())
            return false;
        for (std::size_t i = 0; i < tag.size(); ++i)
            if (_text[p + i] != static_cast<unsigned char>(tag[i]))
                return false;
        return true;
    }

    // A setting is read into the slot that does not hold the wanted value's, and stays
    // there when it is the wanted value's: settings are never copied while the file is read.
    Setting& spareSetting() { return _settings[_found == 0 ? 1 : 0]; }
    // The setting, read into the spare slot, is now the wanted value's.
    void keep(const Setting& setting) { _found = &setting == &_settings[0] ? 0 : 1; }

    void place(Setting& setting, Setting::Form form, std::uint32_t type, std::size_t begin, std::size_t end) const
    {
        setting.form = form;
        setting.type = type;
        setting.begin = begin;
        setting.end = end;
        setting.nextLine = _lines.position();
        setting.bytes = 0;
    }

    void typedData(bool wanted, std::size_t p, std::size_t end)
    {
        Setting& setting = spareSetting();
        Parse parse = Parse::Invalid;
        if (p == end)
            return;
        switch (_text.ascii(p)) {
        case '"':
            place(setting, Setting::Form::Quoted, kRegSz, p + 1, end);
            parse = quotedData(p + 1, end);
            break;
        case 'h':
            if (startsWith(p, end, "hex:")) {
                place(setting, Setting::Form::Hex, kRegBinary, p + 4, end);
                parse = hexData(setting, _lines, nullptr);
            } else if (startsWith(p, end, "hex(") && hexType(p + 4, end, setting)) {
                parse = hexData(setting, _lines, nullptr);
            }
            break;
        case 'd':
            // Dword data only ever sets the value, so it matters only for the wanted one.
            if (!wanted || !startsWith(p, end, "dword:"))
                return;
            place(setting, Setting::Form::Dword, kRegDword, p + 6, end);
            parse = dwordData(p + 6, end, nullptr);
            break;
        default:
            return;
        }
        if (parse == Parse::Stop)
            _stopped = true;
        else if (parse == Parse::Valid && wanted)
            keep(setting);
    }

    // hex(N): N is read by wcstoul, so blanks and a sign may lead it; a second character
    // 'x' is refused, and so is ffffffff once any number in the file has overflowed.
    bool hexType(std::size_t p, std::size_t end, Setting& setting)
    {
        if (p == end)
            return false;
        if (const std::size_t second = _text.after(p); second < end && (_text.ascii(second) == 'x' || _text.ascii(second) == 'X'))
            return false;
        const Number type = readHexNumber(_text, p, end, _outOfRange);
        if (end - type.end < 2 || _text.ascii(type.end) != ')' || _text.ascii(type.end + 1) != ':')
            return false;
        if (type.value == 0xFFFFFFFF && _outOfRange)
            return false;
        place(setting, Setting::Form::Hex, type.value, type.end + 2, end);
        return true;
    }

    // String data; regedit stops the whole import at "\0" or at a lone backslash at the end.
    Parse quotedData(std::size_t p, std::size_t end) const
    {
        p = closingQuote(p, end);
        if (p == kNone)
            return Parse::Stop;
        if (p == end)
            return Parse::Invalid;
        return endOfData(p + 1, end);
    }

    // The characters of string data that quotedData accepted, escapes undone, into out.
    template <class Units>
    static void unquote(const Units& text, std::size_t p, std::size_t end, std::u16string* out)
    {
        for (; p < end && text.ascii(p) != '"'; ++p) {
            Unit c = text[p];
            if (c == '\\') {
                if (++p == end || text.ascii(p) == '0')
                    return;
                c = unescaped(text[p]);
            }
            out->push_back(c);
        }
    }

    // After the data, only blanks or a ';' comment.
    Parse endOfData(std::size_t p, std::size_t end) const
    {
        p = skipBlanks(p, end);
        return p == end || _text.ascii(p) == ';' ? Parse::Valid : Parse::Invalid;
    }

    // dword: blanks, then one to eight hex digits (full-width ones too, though wcstoul
    // reads no full-width letter), then only blanks or a ';' comment; no digit reads as 0.
    Parse dwordData(std::size_t p, std::size_t end, std::string* out)
    {
        p = skipBlanks(p, end);
        if (p == end)
            return Parse::Invalid;
        const std::size_t digits = p;
        std::size_t count = 0;
        for (; p < end && isHexDigit(_text[p]); p = _text.after(p))
            ++count;
        const std::size_t rest = skipBlanks(p, end);
        if (count > 8 || (rest < end && _text.ascii(rest) != ';'))
            return Parse::Invalid;
        if (out) {
            const std::uint32_t value = readHexNumber(_text, digits, p, _outOfRange).value;
            for (int shift = 0; shift < 32; shift += 8)
                out->push_back(static_cast<char>(value >> shift & 0xFF));
        }
        return Parse::Valid;
    }

    // Most bytes are two ASCII digits that end the number; those skip the general reading.
    Number readByte(std::size_t s, std::size_t end)
    {
        // A backslash, ';' or ',' starts no number (wcstoul reads nothing and sets nothing).
        if (const Unit c = _text[s]; c == '\\' || c == ';' || c == ',')
            return {0, s};
        if (end - s >= 2) {
            const Unit high = _text[s];
            const Unit low = _text[s + 1];
            if (isAsciiHexDigit(high) && isAsciiHexDigit(low) &&
                (end - s == 2 || hexDigitValue(_text[s + 2]) < 0))
                return {static_cast<std::uint32_t>(hexDigitValue(high) * 16 + hexDigitValue(low)), s + 2};
        }
        return readHexNumber(_text, s, end, _outOfRange);
    }

    // Where a run of the common form "hh," that starts at s ends, for 8-bit text, counting
    // its bytes: ten or five at a time with SSE2 (byte for byte what the loop in hexLine
    // takes). A byte lies in the range its place allows when, less the range's first byte,
    // it is at most the range's length less one: the saturating subtraction of that
    // length leaves zero. Digits 0-9 and the comma are checked on the bytes as they stand,
    // letters a-f on the bytes with 0x20 set (A-F folded to a-f); at a comma's place the
    // letter range is empty, since such a byte less nothing is at least 0x20.
    std::size_t skipHexRun(std::size_t s, std::size_t end, std::size_t& count) const
    {
#if defined(__SSE2__)
        if constexpr (std::is_base_of_v<ByteText, Text>) {
            if (end - s < 16)
                return s;
            // The lanes of one load: digit, digit, comma, five times, and one left over.
            auto lanes = [](int digit, int comma) {
                const auto d = static_cast<char>(digit), c = static_cast<char>(comma);
                return _mm_setr_epi8(d, d, c, d, d, c, d, d, c, d, d, c, d, d, c, d);
            };
            const __m128i less = lanes(-'0', -',');
            const __m128i span = lanes(9, 0);
            const __m128i fold = _mm_set1_epi8(0x20);
            const __m128i letterLess = lanes(-'a', 0);
            const __m128i letterSpan = _mm_set1_epi8(5);
            // Non-zero where a byte of the 16 at p is out of both its ranges.
            auto unsuited = [&](const char* p) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const __m128i digitOrComma = _mm_subs_epu8(_mm_add_epi8(bytes, less), span);
                const __m128i letter = _mm_subs_epu8(_mm_add_epi8(_mm_or_si128(bytes, fold), letterLess), letterSpan);
                return _mm_min_epu8(digitOrComma, letter);
            };
            auto suited = [](__m128i out) {
                constexpr int kChecked = 0x7FFF; // the 16th byte of a load is the next group's
                return (_mm_movemask_epi8(_mm_cmpeq_epi8(out, _mm_setzero_si128())) & kChecked) == kChecked;
            };
            const char* const first = _text.bytes() + s;
            const char* const lastLoad = _text.bytes() + end - 16;
            const char* p = first;
            for (; lastLoad - p >= 15 && suited(_mm_or_si128(unsuited(p), unsuited(p + 15))); p += 30) {
            }
            if (p <= lastLoad && suited(unsuited(p)))
                p += 15;
            const auto skipped = static_cast<std::size_t>(p - first);
            count += skipped / 3;
            return s + skipped;
        }
#endif
        static_cast<void>(end);
        static_cast<void>(count);
        return s;
    }

    // One line of comma-separated bytes; may end in a backslash that continues the data.
    enum class HexLine { Done, Continued, Invalid };

    HexLine hexLine(std::size_t s, std::size_t end, std::string* out, std::size_t& count, std::size_t& after)
    {
        while (s < end) {
            if (!out)
                s = skipHexRun(s, end, count);
            // The common form, two ASCII digits and a comma, in a tight loop.
            for (int high, low; end - s >= 3 && (high = asciiHexValue(_text.ascii(s))) >= 0 &&
                                (low = asciiHexValue(_text.ascii(s + 1))) >= 0 && _text.ascii(s + 2) == ',';
                 s += 3) {
                ++count;
                if (out)
                    out->push_back(static_cast<char>(high * 16 + low));
            }
            if (s == end)
                break;
            const Number byte = readByte(s, end);
            if (byte.value > 0xFF)
                return HexLine::Invalid;
            std::size_t p = byte.end;
            if (p == s) {
                p = skipBlanks(p, end);
                if (p < end && _text.ascii(p) == '\\') {
                    after = p + 1;
                    return HexLine::Continued;
                }
                return p < end && _text.ascii(p) == ';' ? HexLine::Done : HexLine::Invalid;
            }
            ++count;
            if (out)
                out->push_back(static_cast<char>(byte.value));
            if (p < end && _text.ascii(p) != ',') {
                p = skipBlanks(p, end);
                return p == end || _text.ascii(p) == ';' ? HexLine::Done : HexLine::Invalid;
            }
            s = p < end ? p + 1 : p;
        }
        return HexLine::Done;
    }

    // hex: and hex(N): data with its continuation lines, read from lines. For the string
    // types regedit then adds a terminator and, given no whole character, crashes.
    Parse hexData(Setting& setting, LineReader<Text>& lines, std::string* out)
    {
        std::size_t p = setting.begin;
        std::size_t end = setting.end;
        setting.bytes = 0;
        if (p == end)
            return Parse::Valid;
        std::size_t count = 0;
        for (;;) {
            std::size_t after = end;
            const HexLine result = hexLine(p, end, out, count, after);
            if (result == HexLine::Invalid)
                return Parse::Invalid;
            if (result == HexLine::Done)
                break;
            p = skipBlanks(after, end);
            if (p < end && _text.ascii(p) != ';')
                return Parse::Invalid;
            Line next;
            bool ended = false;
            for (;;) {
                if (!lines.next(next)) {
                    ended = true;
                    break;
                }
                p = skipBlanks(next.begin, next.end);
                if (p < next.end && _text.ascii(p) != ';')
                    break;
            }
            if (ended)
                break;
            if (!isHexDigit(_text[p]))
                return Parse::Invalid;
            end = next.end;
        }
        setting.bytes = count;
        const std::size_t unit = std::is_same_v<Text, WideText> ? 2 : 1;
        return isStringType(setting.type) && count < unit ? Parse::Stop : Parse::Valid;
    }

    // Windows 3.1 form: "HKEY_CLASSES_ROOT\key = text" sets the key's default value.
    void win31Line(const Line& line)
    {
        constexpr std::string_view root = "HKEY_CLASSES_ROOT";
        if (!startsWith(line.begin, line.end, root))
            return;
        std::size_t keyEnd = line.begin;
        while (keyEnd < line.end && !isSpace(_text[keyEnd]))
            keyEnd = _text.after(keyEnd);
        std::size_t p = skipBlanks(keyEnd, line.end);
        if (p < line.end && _text.ascii(p) == '=')
            ++p;
        if (p < line.end && _text.ascii(p) == ' ')
            ++p;
        openKey(line.begin, keyEnd);
        if (_open == Open::Wanted && _target.name.empty()) {
            Setting& setting = spareSetting();
            place(setting, Setting::Form::Plain, kRegSz, p, line.end);
            keep(setting);
        }
    }

    static inline const std::u16string kClassesPath[] = {u"SOFTWARE", u"CLASSES"};

    const Text _text; // a copy of the view (a pointer and a size): reads need no indirection
    const Target& _target;
    Encoding _encoding;
    bool _lfOnly;
    LineReader<Text> _lines;
    Open _open = Open::None;
    Setting _settings[2] = {};
    int _found = -1; // the slot of the wanted value's setting, or -1 while it has none
    bool _outOfRange = false;
    bool _stopped = false;
    bool _exportFile = false;
    bool _keyExists = false;
    KeyMemo _memos[2];
    NameMemo _nameMemo;
    int _nextMemo = 0;
};

} // namespace qz::regfile

#endif
