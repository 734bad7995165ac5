// Trace.h - the observer through which the record and the path manager tell a watcher what
// they consulted and decided; internal to the library, never installed. Watchers live above
// the core (the start-up report, a trace file); the core knows only this interface.
#ifndef QZ_APPINFO_TRACE_H
#define QZ_APPINFO_TRACE_H

#include "appinfo/QZTraceEvents.h"

#include <string_view>
#include <vector>

class QZApplicationInfo;

namespace qz {

// Every call has a no-op default, so a watcher overrides only what it wants. Calls come
// on the thread that does the work, in the order of the work; texts are borrowed for the
// call only. A watcher must not call back into the object that calls it.
class Trace {
public:
    virtual ~Trace();

    // --- Initialize ---
    // Initialize begins with these arguments; every event up to finished is this call's.
    virtual void begins(const trace::Arguments&) {}
    virtual void step(trace::Step) {}
    // Initialize returns: 1 with Failure::None, else 0 and why.
    virtual void finished(const QZApplicationInfo&, int /*result*/, trace::Failure) {}
    virtual void currentDirectory(const std::optional<std::string>&) {}
    // Where a relative name is looked for; pathVariable is PATH (nothing when unset),
    // skipped the entries left out for their leading '.'.
    virtual void executableSearch(bool /*inCurrentDirectory*/, bool /*alongSearchPath*/) {}
    virtual void searchPath(const std::optional<std::string>& /*pathVariable*/,
                            const std::vector<std::string_view>& /*skipped*/)
    {
    }
    // One existence test of the executable search.
    virtual void candidate(trace::CandidatePlace, std::string_view /*path*/, bool /*exists*/) {}
    virtual void executableStatus(trace::ExecutableStatus) {}
    // One system variable lookup, whole, when it is done.
    virtual void lookup(const trace::Lookup&) {}
    virtual void home(trace::HomeSource, bool /*separatorRemoved*/) {}
    virtual void sandboxProbe(std::string_view /*path*/, trace::ProbeResult) {}
    virtual void walkLevel(std::string_view /*directory*/, bool /*hasMarker*/) {}
    virtual void walkEnd(trace::WalkEnd) {}
    // A published entry whose value a setting can change, and which setting decided it.
    virtual void decision(const char* /*key*/, const char* /*setting*/, trace::DecisionOrigin) {}

    // --- The path manager ---
    // GetFilePath begins a search of count steps for fileName.
    virtual void searchBegins(std::string_view /*fileName*/, int /*count*/) {}
    // A step of the search considers a directory (index: the configuration directory's,
    // else -1). An empty directory is passed over untested.
    virtual void searchPlace(trace::Place, int /*index*/, std::string_view /*directory*/, bool /*tested*/,
                             bool /*found*/)
    {
    }
    // GetFilePath returns; directory is what the caller's buffer holds.
    virtual void searchEnds(bool /*found*/, std::string_view /*directory*/) {}
    // FindFilePath tested this joined path.
    virtual void fileTested(std::string_view /*path*/, bool /*exists*/) {}
    // ReadFromAll begins, hands each directory to ReadFile, and ends.
    virtual void readsBegin() {}
    virtual void read(trace::Place, int /*index*/, std::string_view /*directory*/) {}
    virtual void readsEnd() {}
};

// The watcher of every record and path manager that has none of its own. A face may
// register, before the first Initialize, the function that makes it; that function is
// called once, when the first record or path manager needs it, and may give null. With
// nothing registered no watcher exists and nothing is asked.
using TraceSource = Trace* (*)();
void registerProcessTrace(TraceSource source);
Trace* processTrace();

// The watcher of one call: the one attached to the object, else the process's.
inline Trace* watcherOf(Trace* attached) { return attached ? attached : processTrace(); }

// Attaches a watcher to an object's slot (CoreAccess::slot) for as long as it lives, on
// every way out of a call; the slot's earlier watcher comes back afterwards.
class AttachedTrace {
public:
    AttachedTrace(Trace*& slot, Trace& trace) : _slot(slot), _previous(slot) { slot = &trace; }
    ~AttachedTrace() { _slot = _previous; }
    AttachedTrace(const AttachedTrace&) = delete;
    AttachedTrace& operator=(const AttachedTrace&) = delete;

private:
    Trace*& _slot;
    Trace* _previous;
};

} // namespace qz

#endif
