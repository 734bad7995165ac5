// FileContents.h - a whole file read into memory with the C library's streams, which
// cost far less to open than iostreams (a missing file is the common case here).
#ifndef QZ_PLATFORM_FILECONTENTS_H
#define QZ_PLATFORM_FILECONTENTS_H

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace qz::platform {

// The file's bytes, or nothing when it cannot be opened. A file that cannot be read to
// its end counts as far as it was read; a failed allocation reaches the caller.
inline std::optional<std::string> fileContents(const char* path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file)
        return std::nullopt;
    std::string contents;
    // A file of known size is read straight into the string, one copy of each byte; a
    // directory or a pipe may report no size or a bogus one, and a file may grow while it
    // is read: then the rest is read a chunk at a time.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        std::rewind(file.get());
        if (size > 0 && size < (1L << 31)) {
            contents.resize(static_cast<std::size_t>(size));
            contents.resize(std::fread(contents.data(), 1, contents.size(), file.get()));
            if (contents.size() < static_cast<std::size_t>(size))
                return contents;
        }
    }
    char chunk[1 << 16];
    for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        contents.append(chunk, read);
    return contents;
}

} // namespace qz::platform

#endif
