// CoreAccess.h - what the faces inside the library (the start-up report) read from the core
// beyond the public accessors: the published table in order, the sandbox flag, the lookup
// with its source, and the watcher slots. Internal, never installed; no platform code.
#ifndef QZ_APPINFO_COREACCESS_H
#define QZ_APPINFO_COREACCESS_H

#include "QZApplicationInfo.h"
#include "appinfo/Trace.h"

#include <vector>

class QZ_PathManager;

namespace qz {

// One entry of a table, borrowed from the record that owns it.
struct TableEntry {
    const char* key;
    const char* value;
};

struct CoreAccess {
    // The published table's entries in table order, every entry with its own value
    // (a key stored twice appears twice); empty before a successful Initialize.
    static std::vector<TableEntry> published(const QZApplicationInfo& info);
    static bool sandbox(const QZApplicationInfo& info) { return info._sandbox; }
    // Whether Initialize got as far as the registry base path that lookups need.
    static bool hasRegistryBase(const QZApplicationInfo& info) { return info._systemBaseRegistryPath != nullptr; }
    // The record's own system variable lookup, told to trace.
    static trace::Source lookUpSysVar(const QZApplicationInfo& info, const char* name, char* value,
                                      unsigned int size, Trace* trace)
    {
        return info._LookUpSysVar(name, value, size, trace);
    }

    // The slot of the watcher attached to one object (see AttachedTrace).
    static Trace*& slot(QZApplicationInfo& info) { return info._trace.attached; }
    static Trace*& slot(QZ_PathManager& manager);
};

} // namespace qz

#endif
