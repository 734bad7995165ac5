// Lines.h - a file's lines as regedit reads them: the line ends it knows, and the replay
// of its line buffer that makes a NUL character cut a line short.
#ifndef QZ_PLATFORM_REGISTRY_LINES_H
#define QZ_PLATFORM_REGISTRY_LINES_H

#include "platform/registry/Characters.h"
#include "platform/registry/Text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

// The rare paths of the line reader stay out of line, so that its common one is small
// enough to be inlined into the import loop.
#if defined(__GNUC__)
#define QZ_REGFILE_COLD __attribute__((noinline))
#else
#define QZ_REGFILE_COLD
#endif

namespace qz::regfile {

struct Line {
    std::size_t begin;
    std::size_t end;
};

// Lines end at CR, LF or CR LF; the last one needs no end. Near a line's start, the line
// ends are found with a mask of the CR and LF among the next 64 units, kept for every
// line that starts and ends inside it (with SSE2; else one scan for both characters).
// Past a few such blocks, the next CR and the next LF are each found with memchr and kept
// until the reading passes them, so a file with only one kind of line end is scanned once
// for the other. Text that the replay of the line buffer left ends its lines with LF
// alone (lfOnly), and is never scanned for CR.
template <class Text>
class LineReader {
public:
    LineReader(const Text& text, std::size_t from, bool lfOnly = false)
        : _text(text), _next(from), _cr(lfOnly ? text.size() : 0), _crScanned(lfOnly)
    {
    }

    bool next(Line& line)
    {
        if (_next == kNone)
            return false;
        const std::size_t size = _text.size();
        std::size_t end = kNone;
#if defined(__SSE2__)
        // Most lines end inside the mask where the last one ended.
        const std::size_t offset = _next - _maskFrom;
        std::uint64_t ends = 0;
        if (_next >= _maskFrom && offset < kBlock && (ends = _mask >> offset) != 0)
            end = _next + static_cast<std::size_t>(__builtin_ctzll(ends));
        else
#endif
            end = endPastMask(_next);
        line = {_next, end};
        if (end == size)
            _next = kNone;
        else
            _next = end + (_text.ascii(end) == '\r' && end + 1 < size && _text.ascii(end + 1) == '\n' ? 2 : 1);
        return true;
    }
    std::size_t position() const { return _next; }

private:
    static constexpr std::size_t kUnit = Text::kUnitBytes;
    static constexpr std::size_t kBlock = 64; // the units a mask covers

    // The first CR or LF at or after from, or size(), where the mask holds none of it.
    QZ_REGFILE_COLD std::size_t endPastMask(std::size_t from)
    {
#if defined(__SSE2__)
        if (from >= _maskFrom && from - _maskFrom < kBlock)
            from = _maskFrom + kBlock;
        for (std::size_t block = 0; block * kBlock < kNearUnits; ++block, from += kBlock) {
            if (_text.size() - from < kBlock) {
                const std::size_t end = _text.lineEnd(from);
                return end == kNone ? farEnd(from) : end;
            }
            _maskFrom = from;
            _mask = scan::lineEndMask<kUnit>(_text.unitBytes(), from);
            if (_mask != 0)
                return from + static_cast<std::size_t>(__builtin_ctzll(_mask));
        }
        return farEnd(from);
#else
        const std::size_t end = _text.lineEnd(from);
        return end == kNone ? farEnd(from) : end;
#endif
    }

    // Past the near blocks: the next CR and the next LF, each found once.
    QZ_REGFILE_COLD std::size_t farEnd(std::size_t from)
    {
        const std::size_t size = _text.size();
        if (!_crScanned || _cr < from)
            _cr = _text.find('\r', from, size);
        if (!_lfScanned || _lf < from)
            _lf = _text.find('\n', from, size);
        _crScanned = _lfScanned = true;
        return std::min(_cr, _lf);
    }

    const Text _text; // a copy of the view (a pointer and a size): reads need no indirection
    std::size_t _next;
    std::size_t _cr;
    std::size_t _lf = 0;
    bool _crScanned;
    bool _lfScanned = false;
    std::size_t _maskFrom = kNone; // the first unit of the mask's block
    std::uint64_t _mask = 0;
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
// The same over size bytes at contents; returns the size of the text it leaves there.
std::size_t replayLineBuffer(char* contents, std::size_t size, bool wide);

} // namespace qz::regfile

#endif
