// Tee.h - one watcher that tells two: a report's notes, and the process's trace when there is
// one, so that a call made through a report is traced like any other; internal.
#ifndef QZ_REPORT_TEE_H
#define QZ_REPORT_TEE_H

#include "appinfo/Trace.h"

namespace qz {

class Tee final : public Trace {
public:
    // second may be null, or first itself when the report is the process's own.
    Tee(Trace& first, Trace* second) : _first(first), _second(second == &first ? nullptr : second) {}

    void begins(const trace::Arguments& a) override { both([&](Trace& t) { t.begins(a); }); }
    void step(trace::Step s) override { both([&](Trace& t) { t.step(s); }); }
    void finished(const QZApplicationInfo& i, int r, trace::Failure f) override
    {
        both([&](Trace& t) { t.finished(i, r, f); });
    }
    void currentDirectory(const std::optional<std::string>& d) override { both([&](Trace& t) { t.currentDirectory(d); }); }
    void executableSearch(bool c, bool p) override { both([&](Trace& t) { t.executableSearch(c, p); }); }
    void searchPath(const std::optional<std::string>& v, const std::vector<std::string_view>& s) override
    {
        both([&](Trace& t) { t.searchPath(v, s); });
    }
    void candidate(trace::CandidatePlace w, std::string_view p, bool e) override
    {
        both([&](Trace& t) { t.candidate(w, p, e); });
    }
    void executableStatus(trace::ExecutableStatus s) override { both([&](Trace& t) { t.executableStatus(s); }); }
    void lookup(const trace::Lookup& l) override { both([&](Trace& t) { t.lookup(l); }); }
    void home(trace::HomeSource s, bool r) override { both([&](Trace& t) { t.home(s, r); }); }
    void sandboxProbe(std::string_view p, trace::ProbeResult r) override { both([&](Trace& t) { t.sandboxProbe(p, r); }); }
    void walkLevel(std::string_view d, bool m) override { both([&](Trace& t) { t.walkLevel(d, m); }); }
    void walkEnd(trace::WalkEnd e) override { both([&](Trace& t) { t.walkEnd(e); }); }
    void decision(const char* k, const char* s, trace::DecisionOrigin o) override
    {
        both([&](Trace& t) { t.decision(k, s, o); });
    }
    void searchBegins(std::string_view f, int c) override { both([&](Trace& t) { t.searchBegins(f, c); }); }
    void searchPlace(trace::Place p, int i, std::string_view d, bool t_, bool f) override
    {
        both([&](Trace& t) { t.searchPlace(p, i, d, t_, f); });
    }
    void searchEnds(bool f, std::string_view d) override { both([&](Trace& t) { t.searchEnds(f, d); }); }
    void fileTested(std::string_view p, bool e) override { both([&](Trace& t) { t.fileTested(p, e); }); }
    void readsBegin() override { both([&](Trace& t) { t.readsBegin(); }); }
    void read(trace::Place p, int i, std::string_view d) override { both([&](Trace& t) { t.read(p, i, d); }); }
    void readsEnd() override { both([&](Trace& t) { t.readsEnd(); }); }

private:
    template <class Call>
    void both(Call call)
    {
        call(_first);
        if (_second)
            call(*_second);
    }

    Trace& _first;
    Trace* const _second;
};

} // namespace qz

#endif
