// Report.h - what qzpaths prints for each of its subcommands, as text or as JSON.
#ifndef QZPATHS_REPORT_H
#define QZPATHS_REPORT_H

#include "JsonText.h"

#include <QZApplicationInfo.h>
#include <QZStartupReport.h>

#include <ostream>
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
std::string homeSourceText(QZStartupReport::HomeSource source);

// Why Initialize failed, from the report of its steps; one line without a newline.
std::string initializeFailure(const QZStartupReport& report, const Record& record, const std::string& executable);

// JSON as qzpaths prints it: a text that is not UTF-8 never stops the dump.
void printJson(const json& value);
// The bytes of a size as people read them: 1500 gives "1,500".
std::string byteCount(std::size_t bytes);

// What one system variable lookup consulted and found: indented lines of text, and JSON.
void printLookupDetails(std::ostream& out, const QZStartupReport::Lookup& lookup, const std::string& indent);
json lookupJson(const QZStartupReport::Lookup& lookup);

int printSummary(Record& record, const QZStartupReport& report, const Output& output);
int printGet(Record& record, const std::vector<std::string>& keys, const Output& output);
int printDump(Record& record);
int printSysVar(Record& record, QZStartupReport& report, const std::vector<std::string>& names,
                const std::string& executable, const Output& output);
int printConfig(Record& record, const std::string& file, const Output& output);
int printCheck(Record& record, const Output& output);
int printExplain(Record& record, const QZStartupReport& report, const std::string& executable,
                 const Output& output);

// The locations without which an installation cannot work: check fails when one is
// missing. The application's own programs, and the Tcl runtime and scripts it runs on.
extern const char* const kRequiredLocations[];
extern const std::size_t kRequiredLocationCount;

} // namespace qzpaths

#endif
