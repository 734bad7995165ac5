// FuzzInput.h - helpers shared by the fuzzers: reading typed values off the input and
// checking invariants. Test code only; the library never includes it.
#ifndef QZ_FUZZ_FUZZINPUT_H
#define QZ_FUZZ_FUZZINPUT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A broken invariant is a finding: say which and abort, so that libFuzzer keeps the input
// and the replay test fails.
#define QZ_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace qzfuzz {

// Takes values off the front of the input; past its end every value reads as zero or
// empty, so that any input, however short, drives a whole run.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : _data(reinterpret_cast<const char*>(data), size) {}

    bool empty() const { return _data.empty(); }
    std::size_t remaining() const { return _data.size(); }

    std::uint8_t byte()
    {
        if (_data.empty())
            return 0;
        const auto value = static_cast<std::uint8_t>(_data.front());
        _data.remove_prefix(1);
        return value;
    }

    bool flag() { return byte() & 1; }

    std::uint32_t u32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return value;
    }

    // A value in [0, bound) (0 when bound is 0).
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : byte() % bound; }

    // A text of at most maxLength bytes: a length byte, then that many bytes.
    std::string text(std::size_t maxLength = 255)
    {
        const std::size_t length = std::min<std::size_t>({byte(), maxLength, _data.size()});
        std::string value(_data.substr(0, length));
        _data.remove_prefix(length);
        return value;
    }

    // Everything up to the next occurrence of delimiter (which is consumed), or the rest.
    // Whether a delimiter ended the field is reported through ended.
    std::string field(char delimiter, bool* ended = nullptr)
    {
        const std::size_t end = _data.find(delimiter);
        std::string value(_data.substr(0, end));
        if (ended)
            *ended = end != std::string_view::npos;
        _data.remove_prefix(end == std::string_view::npos ? _data.size() : end + 1);
        return value;
    }

    std::string rest()
    {
        std::string value(_data);
        _data = {};
        return value;
    }

private:
    std::string_view _data;
};

// The text up to its first NUL, as the library's C-string interfaces read it.
inline std::string asCString(const std::string& text) { return std::string(text.c_str()); }

} // namespace qzfuzz

#endif
