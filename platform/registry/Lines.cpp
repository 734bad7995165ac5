// Lines.cpp - the replay of regedit's line buffer, for files with NUL characters.
#include "platform/registry/Lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qz::regfile {

namespace {

// regedit's get_line: a buffer of `capacity` characters that holds the rest of the last
// load; at its end, or at a NUL, the part of a line read so far moves to the front, the
// buffer doubles when fewer than three characters are left, and the next load fills it
// up to one character short. Here the loads are read in place: the text of a line goes
// to the output as it is found, so each character is looked at once, and a load that
// starts with NUL (which adds nothing and leaves the buffer as it was) is passed over
// with one comparison.
template <std::size_t kSize>
class Replay {
public:
    explicit Replay(std::string_view contents)
        : _contents(contents), _units((contents.size() - 2) / kSize)
    {
    }

    std::string run()
    {
        std::string out(_contents.substr(0, 2));
        out.reserve(_contents.size() + 64);
        std::size_t capacity = 4096;
        std::size_t length = 0;  // the characters of the unfinished line so far
        std::size_t filePos = 0; // in characters after the two lead bytes
        for (;;) {
            if (capacity - length < 3)
                capacity *= 2;
            const std::size_t room = capacity - length - 1;
            while (filePos < _units && unit(filePos) == 0 && _units - filePos > room)
                filePos += room;
            const std::size_t count = std::min(room, _units - filePos);
            if (count == 0) {
                endLine(out);
                return out;
            }
            std::size_t p = filePos;
            const std::size_t end = filePos + count;
            filePos = end;
            for (;;) {
                const std::size_t stop = findStop(p, end);
                append(out, p, stop);
                length += stop - p;
                if (stop == end || unit(stop) == 0)
                    break;
                endLine(out);
                length = 0;
                p = stop + (unit(stop) == '\r' && stop + 1 < end && unit(stop + 1) == '\n' ? 2 : 1);
            }
        }
    }

private:
    unsigned unit(std::size_t i) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(_contents.data()) + 2 + i * kSize;
        return kSize == 1 ? bytes[0] : bytes[0] | bytes[1] << 8;
    }

    static bool isStop(unsigned c) { return c == 0 || c == '\r' || c == '\n'; }

    // The first NUL, CR or LF in [p, end), or end; eight bytes at a time while none of
    // them is below 14.
    std::size_t findStop(std::size_t p, std::size_t end) const
    {
        constexpr std::size_t perWord = 8 / kSize;
        constexpr std::uint64_t ones = kSize == 1 ? 0x0101010101010101 : 0x0001000100010001;
        constexpr std::uint64_t tops = kSize == 1 ? 0x8080808080808080 : 0x8000800080008000;
        const char* base = _contents.data() + 2;
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

    void append(std::string& out, std::size_t from, std::size_t to) const
    {
        out.append(_contents.data() + 2 + from * kSize, (to - from) * kSize);
    }

    static void endLine(std::string& out)
    {
        out += '\n';
        if (kSize == 2)
            out += '\0';
    }

    std::string_view _contents;
    std::size_t _units;
};

} // namespace

bool containsNul(std::string_view contents, bool wide)
{
    if (!wide)
        return contents.find('\0', 2) != std::string_view::npos;
    // Four characters at a time: a zero 16-bit lane borrows into its top bit.
    constexpr std::uint64_t ones = 0x0001000100010001;
    constexpr std::uint64_t tops = 0x8000800080008000;
    std::size_t i = 2;
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

std::string replayLineBuffer(std::string_view contents, bool wide)
{
    return wide ? Replay<2>(contents).run() : Replay<1>(contents).run();
}

} // namespace qz::regfile
