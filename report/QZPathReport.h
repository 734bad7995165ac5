// QZPathReport.h - what one search or one read of a QZ_PathManager tried, place by place, in
// the order in which the path manager took the places; public interface only, no platform code.
#ifndef QZPATHREPORT_H
#define QZPATHREPORT_H

#include "QZTraceEvents.h"
#include "qzappinfo_export.h"

#include <string>
#include <vector>

class QZ_PathManager;

// The path manager's own GetFilePath and ReadFromAll, run while this report takes notes.
// The path manager is not changed by being reported on; its ReadFile runs as without a report.
//
//     QZPathReport report;
//     bool found = report.GetFilePath(manager, name, directory, 4);
//     // report.search: each place tried, in order
class QZAPPINFO_EXPORT QZPathReport {
public:
    using Place = qz::trace::Place;

    // One place that a search considered. index is the configuration directory's (from
    // 0), else -1. An empty directory is not tested.
    struct Tried {
        Place place;
        int index;
        std::string directory;
        bool tested;
        bool found;
    };
    // One directory handed to ReadFile.
    struct Read {
        Place place;
        int index;
        std::string directory;
    };

    // Runs manager.GetFilePath and appends every place it tried to search.
    bool GetFilePath(QZ_PathManager& manager, char* fileName, char* directory, int count);
    // Runs manager.ReadFromAll and appends every directory it handed to ReadFile to reads.
    void ReadFromAll(QZ_PathManager& manager, char* data, int* order);

    std::vector<Tried> search;
    std::vector<Read> reads;
};

#endif
