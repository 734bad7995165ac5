// QZReportWords.h - the start-up report in words: the names its JSON gives each word, and the
// text in which qzpaths explain and a trace on standard error tell a start-up.
#ifndef QZREPORTWORDS_H
#define QZREPORTWORDS_H

#include "QZStartupReport.h"
#include "qzappinfo_export.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qz::words {

// The JSON names: "executableSearch", "environment", "tooLong", ...
QZAPPINFO_EXPORT const char* stepName(QZStartupReport::Step step);
QZAPPINFO_EXPORT const char* sourceName(QZStartupReport::Lookup::Source source);
QZAPPINFO_EXPORT const char* environmentStateName(QZStartupReport::EnvironmentState state);
QZAPPINFO_EXPORT const char* storeStateName(QZStartupReport::RegistryRead::StoreState state);
QZAPPINFO_EXPORT const char* whereName(QZStartupReport::Candidate::Where where);
QZAPPINFO_EXPORT const char* walkEndName(QZStartupReport::WalkEnd end);
QZAPPINFO_EXPORT const char* homeSourceName(QZStartupReport::HomeSource source);
QZAPPINFO_EXPORT const char* decisionName(QZStartupReport::Decision::Origin origin);
QZAPPINFO_EXPORT const char* failureName(QZStartupReport::Failure failure);
QZAPPINFO_EXPORT const char* executableStatusName(QZStartupReport::ExecutableStatus status);
QZAPPINFO_EXPORT const char* probeResultName(QZStartupReport::ProbeResult result);
QZAPPINFO_EXPORT const char* placeName(trace::Place place);

// How the home was found, in words: "CORVAN_HOME in the environment", ...
QZAPPINFO_EXPORT std::string homeSourceText(QZStartupReport::HomeSource source);
// The bytes of a size as people read them: 1500 gives "1,500".
QZAPPINFO_EXPORT std::string byteCount(std::size_t bytes);

// What one system variable lookup consulted and found: lines of text, each beginning
// with indent and ending with a line end.
QZAPPINFO_EXPORT std::string lookupDetails(const QZStartupReport::Lookup& lookup, const std::string& indent);

// Every step of Initialize with what it found, then the home and the entries that a
// setting decided, or why it failed: the text of qzpaths explain. verbose shows every name
// tested in full, where otherwise the forms of one name share a line.
QZAPPINFO_EXPORT std::string explanation(const QZStartupReport& report, bool verbose);

// The report as one line of JSON (no line end), the record of one Initialize in a trace
// file: every field of the report, under the names above. "schema" says which layout it
// is (kSchema); the manual page of qzpaths documents it.
constexpr int kSchema = 1;
QZAPPINFO_EXPORT std::string startupJson(const QZStartupReport& report);
// A record of a trace: {"schema":1,"event":event,"pid":...,"time":...,<the fields of the
// JSON object body>}, one line with its line end. time is when the record is made (UTC).
QZAPPINFO_EXPORT std::string traceRecord(const char* event, const std::string& body);
// One system variable lookup as a JSON object.
QZAPPINFO_EXPORT std::string lookupJson(const QZStartupReport::Lookup& lookup);

} // namespace qz::words

#endif
