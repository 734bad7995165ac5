// Import.cpp - the import's state machine: regedit's reading of each line, replayed into
// the in-memory tree.
#include "platform/registry/Import.h"

#include "platform/registry/Lines.h"
#include "platform/registry/Syntax.h"

#include <algorithm>
#include <string>

// The reference is Wine 8: its regedit import (regproc.c) and its registry. Where
// regedit's own checks are quirky, the quirks are kept, because a file must read here
// exactly as it reads after `regedit /S` on the machines it comes from.
//
// The file stands for the whole registry, so keys that Wine links to one another inside
// HKEY_LOCAL_MACHINE (Wow6432Node, CurrentControlSet, HKEY_CURRENT_CONFIG) are separate
// here; only HKEY_CLASSES_ROOT, which is SOFTWARE\Classes itself, is followed.

namespace qz::regfile {

namespace {

using Ignored = ImportObserver::Ignored;
using Stop = ImportObserver::Stop;
using Text = std::u16string_view;

class Importer {
public:
    Importer(Imported& out, ImportObserver* observer) : _out(out), _observer(observer ? *observer : _quiet) {}

    // Every line after the header; false once the import has stopped.
    bool line(Text t, std::size_t number)
    {
        _line = number;
        if (_pending.active)
            continuation(t);
        else if (_out.header == Header::Win31)
            win31Line(t);
        else
            regeditLine(t);
        return _out.stoppedAt == 0;
    }

    // The end of the file: hex data still waiting for a continuation line keeps what it has.
    void end() { if (_pending.active) finishHex(); }

private:
    // Hex data that continues on a later line; its value is _value.
    struct Pending {
        bool active = false;
        bool given = false; // the data is not empty: a string type then needs a whole character
        Key* key = nullptr;
    };

    void ignore(Ignored why) { _observer.ignored(_line, why); }

    void stop(Stop why) { _observer.stopped(_out.stoppedAt = _line, why); }

    void regeditLine(Text t)
    {
        const std::size_t p = skipBlanks(t, 0);
        if (p == t.size() || t[p] == ';')
            return;
        if (t[p] == '[')
            keyLine(t.substr(p + 1));
        else if (t[p] == '@')
            valueData(t, u"", p + 1);
        else if (t[p] == '"')
            quotedName(t, p + 1);
        else
            ignore(Ignored::NotASetting);
    }

    // [key], [-key]: the name runs to the last ']'; a line without one, or with a blank
    // right after '[', changes nothing, so values still go to the key opened before.
    void keyLine(Text t)
    {
        const std::size_t close = t.rfind(']');
        if ((!t.empty() && isBlank(t[0])) || close == Text::npos) {
            ignore(Ignored::BadKeyLine);
            return;
        }
        t = t.substr(0, close);
        if (!t.empty() && t[0] == '-')
            deleteKey(t.substr(1));
        else
            openKey(t);
    }

    void openKey(Text t)
    {
        _open = nullptr;
        std::size_t below = kNone;
        const Root root = parseRoot(t, below);
        if (root == Root::None) {
            ignore(Ignored::UnknownRoot);
            return;
        }
        if (!keyBelow(root, below == kNone ? Text() : t.substr(below), _openPath)) {
            ignore(Ignored::RefusedKeyPath);
            return;
        }
        _open = &_out.tree.create(_openPath, _line);
        _observer.keyOpened(_line, _openPath);
    }

    // regedit gives up on the whole file at a deletion whose root it cannot read or that
    // names a root itself; a deletion that does not begin with H reads as no key line.
    void deleteKey(Text t)
    {
        _open = nullptr;
        if (t.empty() || (t[0] != 'H' && t[0] != 'h')) {
            ignore(Ignored::UnknownRoot);
            return;
        }
        std::size_t below = kNone;
        const Root root = parseRoot(t, below);
        if (root == Root::None || below == kNone || below == t.size()) {
            stop(Stop::RootDeletion);
            return;
        }
        if (!keyBelow(root, t.substr(below), _deleted)) {
            ignore(Ignored::RefusedKeyPath);
            return;
        }
        _observer.keyDeleted(_line, _deleted, _out.tree.remove(_deleted));
    }

    // "name" with the escapes \\ \" \n \r; \0 or a lone backslash at the end, or no
    // closing quote, drop the line.
    void quotedName(Text t, std::size_t p)
    {
        std::u16string& name = _name;
        name.clear();
        for (; p < t.size() && t[p] != '"'; ++p) {
            Unit c = t[p];
            if (c == '\\') {
                if (++p == t.size() || t[p] == '0') {
                    ignore(Ignored::BadValueName);
                    return;
                }
                c = unescaped(t[p]);
            }
            name.push_back(c);
        }
        if (p == t.size()) {
            ignore(Ignored::BadValueName);
            return;
        }
        valueData(t, name, p + 1);
    }

    // After the name: blanks, '=', blanks, then the data with trailing blanks cut off.
    void valueData(Text t, Text name, std::size_t p)
    {
        p = skipBlanks(t, p);
        if (p == t.size() || t[p] != '=') {
            ignore(Ignored::BadValue);
            return;
        }
        p = skipBlanks(t, p + 1);
        std::size_t end = t.size();
        while (end > p && isBlank(t[end - 1]))
            --end;
        t = t.substr(0, end);
        if (p < end && t[p] == '-') {
            deleteValue(t, name, p + 1);
            return;
        }
        Value& value = startValue(name);
        if (p == end) {
            ignore(Ignored::BadValue);
        } else if (t[p] == '"') {
            quotedData(t, p + 1);
        } else if (startsWith(t, p, "hex:")) {
            value.type = kRegBinary;
            hexData(t, p + 4);
        } else if (startsWith(t, p, "hex(")) {
            const std::size_t data = readHexType(t, p + 4, _value.type, _outOfRange);
            if (data == kNone)
                ignore(Ignored::BadValue);
            else
                hexData(t, data);
        } else if (startsWith(t, p, "dword:")) {
            dwordData(t, p + 6);
        } else {
            ignore(Ignored::BadValue);
        }
    }

    void deleteValue(Text t, Text name, std::size_t p)
    {
        p = skipBlanks(t, p);
        if (p < t.size() && t[p] != ';') {
            ignore(Ignored::BadValue);
            return;
        }
        if (!_open) {
            ignore(Ignored::NoKeyOpen);
            return;
        }
        _observer.valueDeleted(_line, _openPath, name, _out.tree.removeValue(*_open, name));
    }

    // _value made ready for the value name that the line sets.
    Value& startValue(Text name)
    {
        _value.name.assign(name);
        _value.type = kRegSz;
        _value.isText = false;
        _value.text.clear();
        _value.bytes.clear();
        _value.firstLine = _value.lastLine = _line;
        return _value;
    }

    // Stores a copy of _value in key; a value set before gives its storage to the copy.
    void set(Key* key)
    {
        if (!key) {
            ignore(Ignored::NoKeyOpen);
            return;
        }
        if (_value.name.size() > kMaxValueName) {
            ignore(Ignored::BadValueName);
            return;
        }
        const std::size_t earlier = _out.tree.set(*key, _value);
        if (earlier != 0)
            _observer.valueReplaced(_openPath, _value, earlier);
    }

    // String data; regedit stops the whole import at "\0" or at a lone backslash at the end.
    void quotedData(Text t, std::size_t p)
    {
        const std::size_t close = closingQuote(t, p);
        if (close == kNone) {
            stop(Stop::BadString);
            return;
        }
        if (close == t.size() || !endOfData(t, close + 1)) {
            ignore(Ignored::BadValue);
            return;
        }
        _value.isText = true;
        // Runs between escapes go over whole; each backslash before close starts an escape.
        for (std::size_t escape = p; p < close; p = escape + 2) {
            escape = std::min(t.find(u'\\', p), close);
            _value.text.append(t.substr(p, escape - p));
            if (escape < close)
                _value.text.push_back(unescaped(t[escape + 1]));
        }
        set(_open);
    }

    // dword: blanks, then one to eight hex digits (full-width ones too, though wcstoul
    // reads no full-width letter), then only blanks or a ';' comment.
    void dwordData(Text t, std::size_t p)
    {
        p = skipBlanks(t, p);
        std::size_t digits = p;
        while (digits < t.size() && isHexDigit(t[digits]))
            ++digits;
        if (p == t.size() || digits - p > 8 || !endOfData(t, digits)) {
            ignore(Ignored::BadValue);
            return;
        }
        const std::uint32_t number = readHexNumber(t, p, digits, _outOfRange).value;
        _value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8)
            _value.bytes.push_back(static_cast<char>(number >> shift & 0xFF));
        set(_open);
    }

    // hex: and hex(N): data, which may continue on the lines after it.
    void hexData(Text t, std::size_t p)
    {
        _pending = {true, p < t.size(), _open};
        hexLine(t, p);
    }

    // One line of comma-separated bytes; a backslash at its end continues the data.
    void hexLine(Text t, std::size_t s)
    {
        const HexLine read = readHexLine(t, s, _value.bytes, _outOfRange);
        if (read == HexLine::Invalid)
            dropHex();
        else if (read == HexLine::Done)
            finishHex();
    }

    // A line after one that ended in a backslash: blank and comment lines are passed
    // over, and the next must start with a hex digit.
    void continuation(Text t)
    {
        const std::size_t p = skipBlanks(t, 0);
        if (p == t.size() || t[p] == ';')
            return;
        if (!isHexDigit(t[p])) {
            dropHex();
            ignore(Ignored::BadContinuation);
            return;
        }
        _value.lastLine = _line;
        hexLine(t, p);
    }

    void dropHex()
    {
        _pending.active = false;
        ignore(Ignored::BadValue);
    }

    // regedit adds a terminator to hex data of the string types and, given no whole
    // character, crashes.
    void finishHex()
    {
        _pending.active = false;
        const std::size_t unit = _out.utf16() ? 2 : 1;
        if (_pending.given && isStringType(_value.type) && _value.bytes.size() < unit) {
            stop(Stop::NoWholeCharacter);
            return;
        }
        set(_pending.key);
    }

    // Windows 3.1 form: "HKEY_CLASSES_ROOT\key = text" sets the key's default value.
    void win31Line(Text t)
    {
        if (!startsWith(t, 0, "HKEY_CLASSES_ROOT"))
            return;
        std::size_t keyEnd = 0;
        while (keyEnd < t.size() && !isSpace(t[keyEnd]))
            ++keyEnd;
        std::size_t p = skipBlanks(t, keyEnd);
        if (p < t.size() && t[p] == '=')
            ++p;
        if (p < t.size() && t[p] == ' ')
            ++p;
        openKey(t.substr(0, keyEnd));
        if (!_open)
            return;
        startValue(u"").isText = true;
        _value.text.assign(t.substr(p));
        set(_open);
    }

    Imported& _out;
    ImportObserver _quiet;
    ImportObserver& _observer;
    std::size_t _line = 0;
    Key* _open = nullptr;
    KeyPath _openPath;
    KeyPath _deleted;
    // The name and value that the line being read sets; their storage serves every line.
    std::u16string _name;
    Value _value;
    Pending _pending;
    bool _outOfRange = false;
};

} // namespace

Imported importRegistry(std::string_view contents, Encoding encoding, ImportObserver* observer)
{
    Imported out;
    if (contents.size() < 2)
        return out;
    const bool wide = contents[0] == '\xFF' && contents[1] == '\xFE';
    out.text = wide ? FileText::Utf16 : encoding == Encoding::Utf8 ? FileText::Utf8 : FileText::Cp1252;
    std::string replayed;
    if (containsNul(contents, wide)) {
        replayed.assign(contents);
        replayLineBuffer(replayed, wide);
        contents = replayed;
    }
    LineReader lines(contents.substr(2), wide);
    std::string_view bytes;
    std::u16string buffer;
    // regedit reads the first two bytes of an 8-bit file apart, and widens each to the
    // character of the same number before it compares the header.
    if (!wide)
        buffer = {static_cast<unsigned char>(contents[0]), static_cast<unsigned char>(contents[1])};
    if (!lines.next(bytes))
        return out;
    out.header = readHeader(decodeLine(bytes, out.text, buffer, buffer.size()));
    if (out.header == Header::None)
        return out;
    Importer importer(out, observer);
    while (lines.next(bytes))
        if (!importer.line(decodeLine(bytes, out.text, buffer, 0), lines.number()))
            return out;
    importer.end();
    return out;
}

} // namespace qz::regfile
