// FileContents.h - a whole file read into memory with the C library's streams, which
// cost far less to open than iostreams (a missing file is the common case here).
#ifndef QZ_PLATFORM_FILECONTENTS_H
#define QZ_PLATFORM_FILECONTENTS_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qz::platform {

// A file's bytes in a buffer of their own, which is never filled before it is read into.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view view() const { return {data.get(), size}; }
};

// The file's bytes, or nothing when it cannot be opened. A file that cannot be read to
// its end counts as far as it was read; a failed allocation reaches the caller.
inline std::optional<FileBytes> fileBytes(const char* path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file)
        return std::nullopt;
    // A file of known size is read straight into a buffer one byte larger, so that one
    // read of each byte also finds the end; a directory or a pipe may report no size or a
    // bogus one, and a file may grow while it is read: then the buffer doubles.
    std::size_t capacity = 1 << 16;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        std::rewind(file.get());
        if (size > 0 && size < (1L << 31))
            capacity = static_cast<std::size_t>(size) + 1;
    }
    FileBytes bytes;
    bytes.data.reset(new char[capacity]);
    for (;;) {
        const std::size_t wanted = capacity - bytes.size;
        const std::size_t read = std::fread(bytes.data.get() + bytes.size, 1, wanted, file.get());
        bytes.size += read;
        if (read < wanted)
            return bytes;
        std::unique_ptr<char[]> larger(new char[capacity * 2]);
        std::memcpy(larger.get(), bytes.data.get(), bytes.size);
        bytes.data = std::move(larger);
        capacity *= 2;
    }
}

// The same as a string.
inline std::optional<std::string> fileContents(const char* path)
{
    const std::optional<FileBytes> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->view());
}

} // namespace qz::platform

#endif
