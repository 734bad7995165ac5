// Printing.h - what qzpaths prints for each of its subcommands, as text or as JSON.
#ifndef QZPATHS_PRINTING_H
#define QZPATHS_PRINTING_H

#include "JsonText.h"

#include <QZApplicationInfo.h>
#include <QZReportWords.h>
#include <QZStartupReport.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qzpaths {

// Exit codes of every subcommand.
// 2 and 3 apart, so that a script tells its own mistake from a machine that cannot start.
enum Exit { Success = 0, Negative = 1, Usage = 2, StartupFailed = 3 };

struct Output {
    bool json = false;
    bool colour = false;
    // Every tested name in full, where explain folds those of one directory into a line.
    bool verbose = false;
};

// The report's words, as the library names them.
using qz::words::byteCount;
using qz::words::decisionName;
using qz::words::environmentStateName;
using qz::words::executableStatusName;
using qz::words::failureName;
using qz::words::homeSourceName;
using qz::words::homeSourceText;
using qz::words::probeResultName;
using qz::words::sourceName;
using qz::words::stepName;
using qz::words::storeStateName;
using qz::words::walkEndName;
using qz::words::whereName;

// JSON as qzpaths prints it: a text that is not UTF-8 never stops the dump.
void printJson(const json& value);

// What one system variable lookup consulted and found: indented lines of text, and JSON.
void printLookupDetails(std::ostream& out, const QZStartupReport::Lookup& lookup, const std::string& indent);
json lookupJson(const QZStartupReport::Lookup& lookup);

int printSummary(QZApplicationInfo& record, const QZStartupReport& report, const Output& output);
int printDump(QZApplicationInfo& record);
int printSysVar(QZApplicationInfo& record, QZStartupReport& report, const std::vector<std::string>& names,
                const Output& output);
int printConfig(QZApplicationInfo& record, const std::string& file, const Output& output);
int printExplain(const QZStartupReport& report, const Output& output);
// What printExplain prints with --json.
json explainJson(const QZStartupReport& report);
// explain --from: the start-ups recorded in a trace file (QZAPPINFO_TRACE), all or those of
// one process, each as explain prints its own.
int printExplainFrom(const std::string& file, std::optional<long> pid, const Output& output);

// The locations without which an installation cannot work: check fails when one is
// missing. The application's own programs, and the Tcl runtime and scripts it runs on.
extern const char* const kRequiredLocations[];
extern const std::size_t kRequiredLocationCount;

} // namespace qzpaths

#endif
