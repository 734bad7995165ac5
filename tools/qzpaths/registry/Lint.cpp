// Lint.cpp - qzpaths registry lint: a registry export file read as `regedit /S` reads it,
// and every line that does not do what an administrator would expect, by number.
#include "registry/Registry.h"

#include <iostream>

namespace qzpaths::registry {

namespace {

using Finding = qz::standin::Finding;

const char* kindName(Finding::Kind kind)
{
    switch (kind) {
    case Finding::Kind::Ignored: return "ignored";
    case Finding::Kind::Stopped: return "stopped";
    case Finding::Kind::KeyDeleted: return "keyDeleted";
    case Finding::Kind::ValueDeleted: return "valueDeleted";
    case Finding::Kind::ValueReplaced: return "valueReplaced";
    case Finding::Kind::TooLong: return "tooLong";
    case Finding::Kind::NotUtf8: return "notUtf8";
    case Finding::Kind::NotText: return "notText";
    case Finding::Kind::NotExpanded: return "notExpanded";
    case Finding::Kind::NotRead: return "notRead";
    default: return "tooLarge";
    }
}

} // namespace

int printLint(const Request& request, const Output& output)
{
    const std::optional<Place> place = placeOf(request);
    if (!place) {
        std::cerr << "qzpaths: registry lint needs the export file to read (qzpaths registry lint FILE)\n";
        return Usage;
    }
    const qz::standin::File file = qz::standin::readFile(place->file);
    std::string problem;
    if (!file.error.empty())
        problem = "cannot be read: " + file.error;
    else if (!file.exportFile)
        problem = "is not a registry export file: its first line is neither \"Windows Registry Editor Version "
                  "5.00\" nor \"REGEDIT4\"";
    bool loses = !problem.empty();
    for (const Finding& finding : file.findings)
        loses = loses || finding.loses;

    if (output.json) {
        json findings = json::array();
        for (const Finding& finding : file.findings)
            findings.push_back({{"line", finding.line},
                                {"kind", kindName(finding.kind)},
                                {"what", jsonText(finding.what)},
                                {"earlierLine", finding.earlierLine ? json(finding.earlierLine) : json(nullptr)},
                                {"loses", finding.loses}});
        printJson({{"file", jsonText(place->file)},
                   {"problem", problem.empty() ? json(nullptr) : jsonText(problem)},
                   {"encoding", file.utf16 ? "UTF-16LE" : "8-bit"},
                   {"bytes", file.bytes},
                   {"values", file.valueCount},
                   {"stoppedAt", file.stoppedAt ? json(file.stoppedAt) : json(nullptr)},
                   {"findings", findings},
                   {"loses", loses}});
        return loses ? Negative : Success;
    }
    if (!problem.empty()) {
        std::cout << place->file << ": " << problem << '\n';
        return Negative;
    }
    for (const Finding& finding : file.findings)
        std::cout << place->file << (finding.line ? ":" + std::to_string(finding.line) : std::string()) << ": "
                  << finding.what << '\n';
    std::cout << place->file << ": " << file.valueCount << (file.valueCount == 1 ? " value" : " values")
              << (file.utf16 ? " (UTF-16LE)" : " (8-bit text)") << ", "
              << (loses ? "and lines that do not do what they seem to" : "and nothing that the import loses")
              << '\n';
    return loses ? Negative : Success;
}

} // namespace qzpaths::registry
