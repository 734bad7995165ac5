// Lines.h - a file's lines as regedit reads them: the line ends it knows, and the replay
// of its line buffer that makes a NUL character cut a line short.
#ifndef QZ_PLATFORM_REGISTRY_LINES_H
#define QZ_PLATFORM_REGISTRY_LINES_H

#include "platform/registry/Characters.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace qz::regfile {

struct Line {
    std::size_t begin;
    std::size_t end;
};

// Lines end at CR, LF or CR LF; the last one needs no end. A short line's end is found
// with one scan for both characters; past that, the next CR and the next LF are each
// found with memchr and kept until the reading passes them, so a file with only one
// kind of line end is scanned once for the other.
template <class Text>
class LineReader {
public:
    LineReader(const Text& text, std::size_t from) : _text(text), _next(from) {}

    bool next(Line& line)
    {
        if (_next == kNone)
            return false;
        const std::size_t size = _text.size();
        std::size_t end = _text.lineEnd(_next);
        if (end == kNone) {
            if (!_scanned || _cr < _next)
                _cr = _text.find('\r', _next, size);
            if (!_scanned || _lf < _next)
                _lf = _text.find('\n', _next, size);
            _scanned = true;
            end = std::min(_cr, _lf);
        }
        line = {_next, end};
        if (end == size)
            _next = kNone;
        else
            _next = end + (_text[end] == '\r' && end + 1 < size && _text[end + 1] == '\n' ? 2 : 1);
        return true;
    }
    std::size_t position() const { return _next; }

private:
    const Text& _text;
    std::size_t _next;
    std::size_t _cr = 0;
    std::size_t _lf = 0;
    bool _scanned = false;
};

// Whether the contents after the two lead bytes hold a NUL character (a zero byte, or in
// a UTF-16 file a zero unit).
bool containsNul(std::string_view contents, bool wide);

// regedit reads lines through a buffer with C string functions, so a NUL character ends
// the text of its line and the rest of that buffer load is lost. This replays that
// reading and leaves in contents the text it yields (the two lead bytes, then the lines,
// each ended by LF), which then parses like any file without NUL. Contents must hold a
// NUL character; the text is written over them. Linear in the file's size.
void replayLineBuffer(std::string& contents, bool wide);

} // namespace qz::regfile

#endif
