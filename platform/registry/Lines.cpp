// Lines.cpp - the replay of regedit's line buffer, for files with NUL characters.
#include "platform/registry/Lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qz::regfile {

namespace {

// The buffer holds the file's characters (bytes, or UTF-16 units), C-string style.
template <class C>
class Replay {
public:
    explicit Replay(std::string_view contents) : _contents(contents), _filePos(2) {}

    std::string run()
    {
        std::string out(_contents.substr(0, 2));
        out.reserve(_contents.size() + _contents.size() / 8);
        std::size_t capacity = 4096;
        std::vector<C> buffer(capacity, 0);
        std::size_t next = 0;
        // buffer[next, known) holds no line end and no NUL: after a refill the scan resumes
        // there instead of at the line's start, which keeps a long line from being scanned
        // again after every small refill.
        std::size_t known = 0;
        for (;;) {
            std::size_t end = std::max(next, known);
            while (buffer[end] != 0 && buffer[end] != '\r' && buffer[end] != '\n')
                ++end;
            if (buffer[end] == 0) {
                const std::size_t length = end - next;
                if (next != 0)
                    std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(next),
                              buffer.begin() + static_cast<std::ptrdiff_t>(end + 1), buffer.begin());
                if (capacity - length < 3) {
                    capacity *= 2;
                    buffer.resize(capacity);
                }
                const std::size_t count = read(buffer.data() + length, capacity - length - 1);
                if (count == 0) {
                    emit(out, buffer.data(), length);
                    return out;
                }
                buffer[length + count] = 0;
                next = 0;
                known = length;
                continue;
            }
            emit(out, buffer.data() + next, end - next);
            next = end + (buffer[end] == '\r' && buffer[end + 1] == '\n' ? 2 : 1);
        }
    }

private:
    static constexpr std::size_t kSize = sizeof(C);

    std::size_t read(C* into, std::size_t count)
    {
        const std::size_t n = std::min(count, (_contents.size() - _filePos) / kSize);
        const auto* bytes = reinterpret_cast<const unsigned char*>(_contents.data() + _filePos);
        for (std::size_t i = 0; i < n; ++i)
            into[i] = kSize == 1 ? static_cast<C>(bytes[i]) : static_cast<C>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        _filePos += n * kSize;
        return n;
    }

    static void emit(std::string& out, const C* text, std::size_t length)
    {
        if constexpr (kSize == 1) {
            out.append(reinterpret_cast<const char*>(text), length);
            out += '\n';
        } else {
            const std::size_t at = out.size();
            out.resize(at + 2 * (length + 1));
            char* p = out.data() + at;
            for (std::size_t i = 0; i < length; ++i) {
                *p++ = static_cast<char>(text[i] & 0xFF);
                *p++ = static_cast<char>(text[i] >> 8);
            }
            p[0] = '\n';
            p[1] = 0;
        }
    }

    std::string_view _contents;
    std::size_t _filePos;
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
    return wide ? Replay<char16_t>(contents).run() : Replay<char>(contents).run();
}

} // namespace qz::regfile
