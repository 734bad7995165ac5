// Lines.cpp - the replay of regedit's line buffer, for files with NUL characters.
#include "platform/registry/Lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qz::regfile {

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
template <std::size_t kSize>
class Replay {
public:
    Replay(char* data, std::size_t size) : _data(data), _size(size), _units((size - 2) / kSize) {}

    // The size of the text it leaves.
    std::size_t run()
    {
        _written = 2;
        std::size_t capacity = 4096;
        std::size_t length = 0;  // the characters of the unfinished line so far
        std::size_t filePos = 0; // in characters after the two lead bytes
        for (;;) {
            if (capacity - length < 3)
                capacity *= 2;
            const std::size_t room = capacity - length - 1;
            filePos = skipNulLoads(filePos, room);
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
                const std::size_t stop = findStop(p, end);
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
        const auto* bytes = reinterpret_cast<const unsigned char*>(_data) + 2 + i * kSize;
        return kSize == 1 ? bytes[0] : bytes[0] | bytes[1] << 8;
    }

    static bool isStop(unsigned c) { return c == 0 || c == '\r' || c == '\n'; }

#if defined(__SSE2__)
    // The sixteen bytes from the unit at i.
    __m128i block(std::size_t i) const
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(_data + 2 + i * kSize));
    }
#endif

    // Loads of a few characters that start with NUL, as when a line nearly fills the
    // buffer, are passed over sixteen bytes at a time with SSE2: the starts of the loads
    // are every room-th character, and the first that is not NUL ends the run. Stops
    // short of the file's end, which the caller's loop reaches.
    std::size_t skipNulLoads(std::size_t filePos, std::size_t room) const
    {
#if defined(__SSE2__)
        constexpr std::size_t perBlock = 16 / kSize;
        if (room == 0 || room > perBlock / 2)
            return filePos;
        const std::size_t step = perBlock / room * room;
        unsigned starts = 0;
        for (std::size_t o = 0; o < step; o += room)
            starts |= 1u << (o * kSize);
        const __m128i zero = _mm_setzero_si128();
        auto nulAt = [&](std::size_t at) {
            return kSize == 1 ? _mm_cmpeq_epi8(block(at), zero) : _mm_cmpeq_epi16(block(at), zero);
        };
        // Where the loads start at the same places of every block (room divides it), four
        // blocks to a test: the starts' lanes that hold no NUL, of all four together.
        if (step == perBlock) {
            alignas(16) unsigned char lanes[16];
            for (std::size_t b = 0; b < 16; ++b)
                lanes[b] = starts >> b & 1 ? 0xFF : 0;
            const __m128i startLanes = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
            while (_units - filePos >= 4 * perBlock + room) {
                const __m128i open = _mm_or_si128(
                    _mm_or_si128(_mm_andnot_si128(nulAt(filePos), startLanes),
                                 _mm_andnot_si128(nulAt(filePos + perBlock), startLanes)),
                    _mm_or_si128(_mm_andnot_si128(nulAt(filePos + 2 * perBlock), startLanes),
                                 _mm_andnot_si128(nulAt(filePos + 3 * perBlock), startLanes)));
                if (_mm_movemask_epi8(open) != 0)
                    break;
                filePos += 4 * perBlock;
            }
        }
        while (_units - filePos >= perBlock + room) {
            const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(nulAt(filePos)));
            if (const unsigned found = ~nul & starts)
                return filePos + static_cast<std::size_t>(__builtin_ctz(found)) / kSize;
            filePos += step;
        }
#endif
        static_cast<void>(room);
        return filePos;
    }

    // The first NUL, CR or LF in [p, end), or end: sixteen bytes at a time with SSE2,
    // else eight at a time while none of them is below 14.
    std::size_t findStop(std::size_t p, std::size_t end) const
    {
#if defined(__SSE2__)
        constexpr std::size_t perBlock = 16 / kSize;
        const __m128i zero = _mm_setzero_si128();
        const __m128i cr = kSize == 1 ? _mm_set1_epi8('\r') : _mm_set1_epi16('\r');
        const __m128i lf = kSize == 1 ? _mm_set1_epi8('\n') : _mm_set1_epi16('\n');
        const __m128i thirteen = kSize == 1 ? _mm_set1_epi8(13) : _mm_set1_epi16(13);
        // The units below 14 (tabs, say, besides the three stops): one subtraction that
        // stops at zero and one compare.
        auto low = [&](std::size_t at) {
            return kSize == 1 ? _mm_cmpeq_epi8(_mm_subs_epu8(block(at), thirteen), zero)
                              : _mm_cmpeq_epi16(_mm_subs_epu16(block(at), thirteen), zero);
        };
        auto stops = [&](std::size_t at) {
            const __m128i units = block(at);
            return _mm_movemask_epi8(
                kSize == 1 ? _mm_or_si128(_mm_cmpeq_epi8(units, zero),
                                          _mm_or_si128(_mm_cmpeq_epi8(units, cr), _mm_cmpeq_epi8(units, lf)))
                           : _mm_or_si128(_mm_cmpeq_epi16(units, zero),
                                          _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf))));
        };
        // Sixty-four bytes to a test of whether any unit is below 14; where one is, the
        // four blocks are looked at for the stops themselves.
        for (; end - p >= 4 * perBlock; p += 4 * perBlock) {
            const __m128i any =
                _mm_or_si128(_mm_or_si128(low(p), low(p + perBlock)), _mm_or_si128(low(p + 2 * perBlock), low(p + 3 * perBlock)));
            if (_mm_movemask_epi8(any) == 0)
                continue;
            for (std::size_t at = p; at < p + 4 * perBlock; at += perBlock)
                if (const int mask = stops(at))
                    return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / kSize;
        }
        for (; end - p >= perBlock; p += perBlock)
            if (const int mask = stops(p))
                return p + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / kSize;
#endif
        constexpr std::size_t perWord = 8 / kSize;
        constexpr std::uint64_t ones = kSize == 1 ? 0x0101010101010101 : 0x0001000100010001;
        constexpr std::uint64_t tops = kSize == 1 ? 0x8080808080808080 : 0x8000800080008000;
        const char* base = _data + 2;
        while (end - p >= perWord) {
            std::uint64_t word;
            std::memcpy(&word, base + p * kSize, 8);
            if (((word - ones * 14) & ~word & tops) != 0)
                break;
            p += perWord;
        }
        while (p < end && !isStop(unit(p)))
            ++p;
        return p;
    }

    void append(std::size_t from, std::size_t to)
    {
        const char* source = _data + 2 + from * kSize;
        const std::size_t bytes = (to - from) * kSize;
        if (source != _data + _written)
            std::memmove(_data + _written, source, bytes);
        _written += bytes;
    }

    void endLine()
    {
        if (_written + kSize > _size) // never, with a NUL among the units
            return;
        _data[_written++] = '\n';
        if (kSize == 2)
            _data[_written++] = '\0';
    }

    char* _data;
    std::size_t _size;
    std::size_t _units;
    std::size_t _written = 2;
};

} // namespace

bool containsNul(std::string_view contents, bool wide)
{
    if (!wide)
        return contents.find('\0', 2) != std::string_view::npos;
    std::size_t i = 2;
#if defined(__SSE2__)
    // Thirty-two characters at a time, narrowed to a byte each with signed saturation,
    // which keeps zero only for a zero unit; the smaller of two bytes is zero where either is.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 64 <= contents.size(); i += 64) {
        const auto* block = reinterpret_cast<const __m128i*>(contents.data() + i);
        const __m128i low = _mm_packs_epi16(_mm_loadu_si128(block), _mm_loadu_si128(block + 1));
        const __m128i high = _mm_packs_epi16(_mm_loadu_si128(block + 2), _mm_loadu_si128(block + 3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(low, high), zero)) != 0)
            break;
    }
#endif
    // Four characters at a time: a zero 16-bit lane borrows into its top bit.
    constexpr std::uint64_t ones = 0x0001000100010001;
    constexpr std::uint64_t tops = 0x8000800080008000;
    for (; i + 8 <= contents.size(); i += 8) {
        std::uint64_t lanes;
        std::memcpy(&lanes, contents.data() + i, 8);
        if (((lanes - ones) & ~lanes & tops) != 0)
            break;
    }
    for (; i + 1 < contents.size(); i += 2)
        if (contents[i] == 0 && contents[i + 1] == 0)
            return true;
    return false;
}

std::size_t replayLineBuffer(char* contents, std::size_t size, bool wide)
{
    return wide ? Replay<2>(contents, size).run() : Replay<1>(contents, size).run();
}

void replayLineBuffer(std::string& contents, bool wide)
{
    contents.resize(replayLineBuffer(contents.data(), contents.size(), wide));
}

} // namespace qz::regfile
