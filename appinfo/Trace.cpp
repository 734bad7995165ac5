// Trace.cpp - the process's watcher, made once on first need by what a face registered;
// no platform code.
#include "appinfo/CoreAccess.h"

#include <atomic>

namespace qz {

namespace {

std::atomic<TraceSource> registeredSource{nullptr};

} // namespace

Trace::~Trace() = default;

void registerProcessTrace(TraceSource source) { registeredSource.store(source); }

Trace* processTrace()
{
    // Asked once; without a registered source this is one load of a flag.
    static Trace* const trace = [] {
        const TraceSource source = registeredSource.load();
        return source ? source() : nullptr;
    }();
    return trace;
}

std::vector<TableEntry> CoreAccess::published(const QZApplicationInfo& info)
{
    const QZApplicationInfo::PathDictionary& table = info._publishedPaths;
    std::vector<TableEntry> entries;
    if (!info._initialized)
        return entries;
    entries.reserve(static_cast<std::size_t>(table._count));
    for (int i = 0; i < table._count; ++i)
        entries.push_back({table._keys[i], table._values[i]});
    return entries;
}

} // namespace qz
