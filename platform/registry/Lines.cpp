// Lines.cpp - splitting a file into lines, and the replay of regedit's line buffer for
// files with NUL characters.
#include "platform/registry/Lines.h"

#include <algorithm>
#include <cstring>

namespace qz::regfile {

LineReader::LineReader(std::string_view text, bool wide) : _text(text), _wide(wide)
{
    if (wide)
        _text = _text.substr(0, _text.size() / 2 * 2);
}

std::size_t LineReader::lineEnd(std::size_t from)
{
    if (_wide) {
        for (std::size_t i = from; i < _text.size(); i += 2)
            if (_text[i + 1] == 0 && (_text[i] == '\r' || _text[i] == '\n'))
                return i;
        return _text.size();
    }
    auto find = [&](char c, std::size_t& cached, bool& known) {
        if (!known || cached < from) {
            const void* hit = std::memchr(_text.data() + from, c, _text.size() - from);
            cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - _text.data()) : _text.size();
            known = true;
        }
        return cached;
    };
    return std::min(find('\r', _cr, _crKnown), find('\n', _lf, _lfKnown));
}

bool LineReader::next(std::string_view& line)
{
    if (_done)
        return false;
    const std::size_t unit = _wide ? 2 : 1;
    const std::size_t end = lineEnd(_next);
    line = _text.substr(_next, end - _next);
    ++_number;
    if (end == _text.size()) {
        _done = true;
        return true;
    }
    const bool crlf = _text[end] == '\r' && end + 2 * unit <= _text.size() && _text[end + unit] == '\n' &&
                      (unit == 1 || _text[end + unit + 1] == 0);
    _next = end + (crlf ? 2 : 1) * unit;
    return true;
}

bool containsNul(std::string_view contents, bool wide)
{
    if (!wide)
        return contents.find('\0', 2) != std::string_view::npos;
    for (std::size_t i = 2; i + 1 < contents.size(); i += 2)
        if (contents[i] == 0 && contents[i + 1] == 0)
            return true;
    return false;
}

namespace {

// regedit's get_line: a buffer of `capacity` characters that holds the rest of the last
// load; at its end, or at a NUL, the part of a line read so far moves to the front, the
// buffer doubles when fewer than three characters are left, and the next load fills it
// up to one character short. Here the loads are read in place: the text of a line moves
// to the output as it is found, so each character is looked at once, and a load that
// starts with NUL (which adds nothing and leaves the buffer as it was) is passed over
// with one comparison. The output is written over the contents themselves: it never
// runs ahead of the reading, since a line end takes no more room than the one it
// replaces, and the NUL that is never copied leaves room for the last line's end.
class Replay {
public:
    Replay(std::string& contents, bool wide)
        : _data(contents.data()), _size(contents.size()), _unitBytes(wide ? 2 : 1), _units((_size - 2) / _unitBytes)
    {
    }

    // The size of the text it leaves.
    std::size_t run()
    {
        std::size_t capacity = 4096;
        std::size_t length = 0; // the characters of the unfinished line so far
        std::size_t filePos = 0; // in characters after the two lead bytes
        for (;;) {
            if (capacity - length < 3)
                capacity *= 2;
            const std::size_t room = capacity - length - 1;
            while (filePos < _units && unit(filePos) == 0 && _units - filePos > room)
                filePos += room;
            const std::size_t count = std::min(room, _units - filePos);
            if (count == 0) {
                endLine();
                return _written;
            }
            std::size_t p = filePos;
            const std::size_t end = filePos + count;
            filePos = end;
            for (;;) {
                std::size_t stop = p;
                while (stop < end && !isStop(unit(stop)))
                    ++stop;
                append(p, stop);
                length += stop - p;
                if (stop == end || unit(stop) == 0)
                    break;
                // The next line's start is read before the line end overwrites this one.
                p = stop + (unit(stop) == '\r' && stop + 1 < end && unit(stop + 1) == '\n' ? 2 : 1);
                endLine();
                length = 0;
            }
        }
    }

private:
    unsigned unit(std::size_t i) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(_data) + 2 + i * _unitBytes;
        return _unitBytes == 1 ? bytes[0] : bytes[0] | bytes[1] << 8;
    }

    static bool isStop(unsigned c) { return c == 0 || c == '\r' || c == '\n'; }

    void append(std::size_t from, std::size_t to)
    {
        const char* source = _data + 2 + from * _unitBytes;
        const std::size_t bytes = (to - from) * _unitBytes;
        if (source != _data + _written)
            std::memmove(_data + _written, source, bytes);
        _written += bytes;
    }

    void endLine()
    {
        if (_written + _unitBytes > _size) // never, with a NUL among the units
            return;
        _data[_written++] = '\n';
        if (_unitBytes == 2)
            _data[_written++] = '\0';
    }

    char* _data;
    std::size_t _size;
    std::size_t _unitBytes;
    std::size_t _units;
    std::size_t _written = 2;
};

} // namespace

void replayLineBuffer(std::string& contents, bool wide)
{
    if (contents.size() < 2)
        return;
    contents.resize(Replay(contents, wide).run());
}

} // namespace qz::regfile
