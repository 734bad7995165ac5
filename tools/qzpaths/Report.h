// Report.h - what qzpaths prints for each of its subcommands, as text or as JSON.
#ifndef QZPATHS_REPORT_H
#define QZPATHS_REPORT_H

#include <QZApplicationInfo.h>

#include <string>
#include <utility>
#include <vector>

namespace qzpaths {

// Exit codes of every subcommand.
enum Exit { Success = 0, Negative = 1, UsageOrInitialize = 2 };

struct Output {
    bool json = false;
    bool colour = false;
};

// The record, with the one protected answer that the tool shows.
class Record : public QZApplicationInfo {
public:
    bool sandbox() { return _IsSandbox(); }
};

// The published table in its order, from the record's own dump.
std::vector<std::pair<std::string, std::string>> publishedEntries(Record& record);

// How the home was found, in words ("CORVAN_HOME in the environment", ...).
std::string homeOriginText(QZApplicationInfo::HomeOrigin origin);

// Why Initialize failed, read from what it left set; one line without a newline.
std::string initializeFailure(Record& record, const std::string& executable);

int printSummary(Record& record, const Output& output);
int printGet(Record& record, const std::vector<std::string>& keys, const Output& output);
int printDump(Record& record);
int printSysVar(Record& record, const std::vector<std::string>& names, const Output& output);
int printConfig(Record& record, const std::string& file, const Output& output);
int printCheck(Record& record, const Output& output);
int printExplain(Record& record, const Output& output);

// The locations without which an installation cannot work: check fails when one is
// missing. The application's own programs, and the Tcl runtime and scripts it runs on.
extern const char* const kRequiredLocations[];
extern const std::size_t kRequiredLocationCount;

} // namespace qzpaths

#endif
