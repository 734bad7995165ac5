// Recorder.h - how the record's steps write their notes into a start-up report; internal to
// the library, never installed, no platform code.
#ifndef QZ_REPORT_RECORDER_H
#define QZ_REPORT_RECORDER_H

#include "QZApplicationInfo.h"
#include "QZStartupReport.h"

#include <string>
#include <utility>

struct QZApplicationInfo::_Recorder {
    using Report = QZStartupReport;

    Report& report;

    void step(Report::Step step) { report.steps.push_back(step); }
    int fail(Report::Failure failure)
    {
        report.failure = failure;
        return 0;
    }
    void candidate(Report::Candidate::Where where, const std::string& path, bool exists)
    {
        report.executableCandidates.push_back({where, path, exists});
    }
    void decision(const char* key, const char* setting, Report::Decision::Origin origin)
    {
        report.decisions.push_back({key, setting, origin});
    }
    // The lookup that the next notes belong to.
    Report::Lookup& lookup(const char* name, unsigned int size)
    {
        Report::Lookup& lookup = report.lookups.emplace_back();
        lookup.name = name ? name : "";
        lookup.size = size;
        return lookup;
    }
};

#endif
