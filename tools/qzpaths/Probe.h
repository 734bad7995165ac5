// Probe.h - whether a location is there for the application: present, missing, or out of
// reach; and the first component of its path that decides it.
#ifndef QZPATHS_PROBE_H
#define QZPATHS_PROBE_H

#include <string>

namespace qzpaths {

enum class Presence { Present, Missing, Unreachable };

struct Probe {
    Presence presence = Presence::Present;
    // The first component of the path (the path itself or one of its parents) that is
    // missing, not a directory, or denies access; empty when present.
    std::string at;
    // "does not exist", "is not a directory", "permission denied" or the system's own
    // words for a rarer failure; empty when present.
    std::string reason;
};

Probe probeLocation(const std::string& path);

// "ok", "missing" or "unreachable".
const char* presenceName(Presence presence);

// "<at> <reason>" for what is not present, empty for what is.
std::string probeDetail(const Probe& probe);

} // namespace qzpaths

#endif
