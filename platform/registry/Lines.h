// Lines.h - a file's lines as regedit reads them: the line ends it knows, and the replay
// of its line buffer that makes a NUL character cut a line short.
#ifndef QZ_PLATFORM_REGISTRY_LINES_H
#define QZ_PLATFORM_REGISTRY_LINES_H

#include <cstddef>
#include <string>
#include <string_view>

namespace qz::regfile {

// The lines of text (without its two lead bytes) in units of one byte, or of two bytes
// for UTF-16: lines end at CR, LF or CR LF; the last one needs no end. Lines are numbered
// from 1. Each unit is looked at once: memchr finds the next CR and the next LF of 8-bit
// text, each kept until the reading passes it.
class LineReader {
public:
    LineReader(std::string_view text, bool wide);
    // The next line's bytes, without its end; false after the last.
    bool next(std::string_view& line);
    // The number of the line that next gave last.
    std::size_t number() const { return _number; }

private:
    std::size_t lineEnd(std::size_t from);

    std::string_view _text;
    bool _wide;
    std::size_t _next = 0;
    std::size_t _number = 0;
    bool _done = false;
    std::size_t _cr = 0; // the next CR and LF at or after _next (8-bit text), once looked for
    std::size_t _lf = 0;
    bool _crKnown = false;
    bool _lfKnown = false;
};

// Whether the contents after the two lead bytes hold a NUL character (a zero byte, or in
// a UTF-16 file a zero unit).
bool containsNul(std::string_view contents, bool wide);

// regedit reads lines through a buffer with C string functions, so a NUL character ends
// the text of its line and the rest of that buffer load is lost. This replays that
// reading and leaves in contents the text it yields (the two lead bytes, then the lines,
// each ended by LF), which then reads like any file without NUL. Linear in the file's size.
void replayLineBuffer(std::string& contents, bool wide);

} // namespace qz::regfile

#endif
