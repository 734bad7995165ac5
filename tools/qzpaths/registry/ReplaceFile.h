// ReplaceFile.h - one writer at a time over a file that is replaced whole: an advisory
// lock on its directory, then a new file flushed to disk and renamed over the old one.
#ifndef QZPATHS_REGISTRY_REPLACEFILE_H
#define QZPATHS_REGISTRY_REPLACEFILE_H

#include <functional>
#include <optional>
#include <string>

namespace qzpaths::registry {

// What an edit makes of the file's bytes (nothing: the file is missing): the new bytes,
// or why the file cannot be edited safely.
struct Edited {
    std::string bytes;
    std::string refusal; // not empty: the file is left as it is
};
using Edit = std::function<Edited(const std::optional<std::string>& current)>;

struct Replaced {
    bool changed = false; // the new bytes differed and were written
    std::string error;    // not empty: nothing was changed (the refusal, or the system's reason)
};

// Waits for every other writer of the same directory, reads the file (following a link
// to it), and replaces it with what edit makes of it: a missing directory is created
// with mode 0755, a new file gets mode 0644, an old file's owner and mode carry over.
// Bytes equal to the current ones are not written. A writer that dies before its rename
// leaves the old file as it was; its temporary file is removed by the next writer.
Replaced replaceFile(const std::string& path, const Edit& edit);

} // namespace qzpaths::registry

#endif
