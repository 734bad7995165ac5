// Explanation.cpp - the start-up report as text: what each step of Initialize consulted and
// found, as qzpaths explain prints it and a trace on standard error writes it.
#include "QZReportWords.h"
#include "QZRegistryStandIn.h"

#include <algorithm>
#include <sstream>

namespace qz::words {

namespace {

using Report = QZStartupReport;
using Step = Report::Step;

// "set, but 1,500 bytes: at most 1,023 are read"
std::string tooLong(std::size_t bytes, std::size_t most)
{
    return "set, but " + byteCount(bytes) + " bytes: at most " + byteCount(most) + " are read";
}

bool isSystemRegistry(const Report::RegistryRead& read) { return read.store == "HKEY_LOCAL_MACHINE"; }

std::string valueLabel(const std::string& name) { return name.empty() ? "(default)" : name; }

std::string kept(const std::optional<std::string>& text) { return text.value_or(""); }

// The names tested, one a line; without verbose, a name and its forms with extensions that
// are all not there share one line: "/usr/bin/ryndel{,.bat,.com,.exe}: not there".
std::string candidateLines(const std::vector<Report::Candidate>& candidates, bool verbose)
{
    std::string lines;
    for (std::size_t i = 0; i < candidates.size();) {
        const std::string& name = candidates[i].path;
        std::size_t end = i + 1;
        std::string forms = "{";
        while (!verbose && !candidates[i].exists && end < candidates.size() && !candidates[end].exists &&
               candidates[end].path.size() > name.size() && candidates[end].path.compare(0, name.size(), name) == 0 &&
               candidates[end].path[name.size()] == '.') {
            forms += "," + candidates[end].path.substr(name.size());
            ++end;
        }
        if (end - i > 1) {
            lines += "\n       " + name + forms + "}: not there";
            i = end;
            continue;
        }
        lines += "\n       " + name + (candidates[i].exists ? "  found" : "  not there");
        ++i;
    }
    return lines;
}

const Report::Lookup* lookupOf(const Report& report, const char* name)
{
    for (const auto& lookup : report.lookups)
        if (lookup.name == name)
            return &lookup;
    return nullptr;
}

std::string explainLookup(const Report& report, const char* name)
{
    const Report::Lookup* lookup = lookupOf(report, name);
    if (!lookup)
        return std::string("system variable ") + name + ": not looked up";
    std::string text = std::string("system variable ") + name + ": ";
    if (lookup->source == Report::Lookup::Source::Nowhere)
        text += "not found\n";
    else
        text += lookup->value + "  (from the " + sourceName(lookup->source) + ")\n";
    text += lookupDetails(*lookup, "       ");
    text.pop_back();
    return text;
}

std::string explainStep(Step step, bool failed, const Report& report, bool verbose)
{
    const std::string& executable = report.executableName;
    std::ostringstream text;
    switch (step) {
    case Step::AlreadyInitialized:
        text << "the record was initialized before: Initialize does nothing a second time";
        break;
    case Step::ApplicationName:
        if (failed)
            text << "application name: empty; pass one with --name";
        else
            text << "application name: " << kept(report.kept.applicationName);
        break;
    case Step::CurrentDirectory:
        text << "current directory: "
             << (report.currentDirectory ? *report.currentDirectory : std::string("cannot be read"));
        break;
    case Step::ExecutableName:
        text << "executable name: " << (failed ? std::string("empty; pass one with --exe") : executable);
        break;
    case Step::ExecutableSearch: {
        const bool absolute = !report.executableCandidates.empty() &&
                              report.executableCandidates.front().where == Report::Candidate::Where::AbsoluteName;
        text << "executable search for " << executable << ": ";
        if (absolute)
            text << "an absolute name, tested as given and with .bat, .com, .exe";
        else if (report.searchedCurrentDirectory && report.searchedPath)
            text << "in the current directory, then along PATH";
        else if (report.searchedCurrentDirectory)
            text << "in the current directory only (the name has a directory part)";
        else
            text << "along PATH only";
        if (report.searchedPath && !report.searchPath)
            text << "\n       PATH is unset";
        for (const std::string& skipped : report.skippedSearchPathEntries)
            text << "\n       PATH entry " << skipped << "  skipped: it begins with '.'";
        text << candidateLines(report.executableCandidates, verbose);
        if (failed)
            text << "\n       not found: nothing of that name exists in any of these places";
        break;
    }
    case Step::ExecutableDirectory:
        if (!report.kept.executableDirectory)
            text << "executable directory: unknown, the status query of " << kept(report.kept.executablePath)
                 << " failed (no walk can start from it)";
        else
            text << "executable directory: " << *report.kept.executableDirectory
                 << (report.executableStatus == Report::ExecutableStatus::Directory
                         ? "  (the executable path names a directory)"
                         : "");
        break;
    case Step::RegistryBase:
        text << "registry base: HKEY_LOCAL_MACHINE\\" << kept(report.kept.registryBase)
             << "  (titles and notices built too)";
        break;
    case Step::Display:
        return explainLookup(report, "DISPLAY");
    case Step::Architecture:
        return explainLookup(report, "CORVAN_ARCH");
    case Step::CorvanHome:
        return explainLookup(report, "CORVAN_HOME");
    case Step::SandboxProbe:
        text << "sandbox probe: " << report.sandboxProbe.value_or("")
             << (report.sandboxProbeResult == Report::ProbeResult::Directory ? " is a directory: a sandbox tree"
                 : report.sandboxProbeResult == Report::ProbeResult::NotADirectory
                     ? " is not a directory: an installation"
                     : " does not exist: an installation");
        break;
    case Step::Walk:
        text << "walk up from the executable directory, looking for a qzcommon directory:";
        for (const auto& level : report.walk)
            text << "\n       " << level.directory
                 << (level.hasMarker ? "  qzcommon found: this is the home" : "  no qzcommon");
        switch (report.walkEnd) {
        case Report::WalkEnd::CannotEnter:
            text << "\n       cannot change into " << kept(report.kept.executableDirectory);
            break;
        case Report::WalkEnd::RootReached:
            text << "\n       the root was reached: no qzcommon directory at or above the executable";
            break;
        case Report::WalkEnd::DirectoryUnreadable:
            text << "\n       the current directory could not be read after going up";
            break;
        default:
            break;
        }
        break;
    case Step::Home:
        if (!failed) {
            text << "home: " << kept(report.kept.home) << "  (" << homeSourceText(report.homeSource)
                 << (report.homeSeparatorRemoved ? ", one trailing separator removed" : "") << ")";
        } else if (report.failure == Report::Failure::EmptyHome) {
            text << "home: CORVAN_HOME is a single separator, which leaves no home; set it to the "
                    "installation's directory";
        } else {
            text << "home: none. CORVAN_HOME is unset or empty in the environment and the registry, and "
                 << (report.kept.executableDirectory ? "no qzcommon directory lies at or above the executable"
                                                     : "there is no executable directory to walk up from")
                 << ".\n       Set CORVAN_HOME in the environment, or as the value CORVAN_HOME of the key "
                    "HKEY_LOCAL_MACHINE\\"
                 << kept(report.kept.registryBase) << ", to the installation's directory";
        }
        break;
    case Step::InternalPaths:
        text << "internal paths: " << (failed ? "incomplete" : "built");
        break;
    case Step::PublishedPaths:
        text << "published paths: " << report.published.size() << " entries\n     "
             << explainLookup(report, "QZ_MSG_HELP");
        break;
    }
    return text.str();
}

std::string describe(const Report::Decision& decision, const Report& report)
{
    switch (decision.origin) {
    case Report::Decision::Origin::Environment:
        return decision.setting + " from the environment";
    case Report::Decision::Origin::Registry:
        return decision.setting + " from the registry";
    case Report::Decision::Origin::ApplicationName:
        return "chosen by the application name \"" + kept(report.kept.applicationName) + "\"";
    default:
        return "default (" + decision.setting + " not used)";
    }
}

} // namespace

std::string lookupDetails(const Report::Lookup& lookup, const std::string& indent)
{
    std::ostringstream out;
    out << indent << "environment: ";
    switch (lookup.environment) {
    case Report::EnvironmentState::Unset:
        out << "unset\n";
        break;
    case Report::EnvironmentState::Empty:
        out << "set but empty, which counts as unset\n";
        break;
    case Report::EnvironmentState::TooLong:
        out << tooLong(lookup.environmentBytes, lookup.size - 1) << '\n';
        break;
    case Report::EnvironmentState::Used:
        out << lookup.environmentText.value_or("") << "  (used)\n";
        break;
    }
    if (!lookup.registry)
        return out.str();
    const Report::RegistryRead& read = *lookup.registry;
    using State = Report::RegistryRead::StoreState;
    if (isSystemRegistry(read)) {
        out << indent << "registry: the system's registry\n";
    } else {
        out << indent << "registry: stand-in file " << read.store << "  ("
            << (read.storeSetting.empty() ? "the default; CORVAN_REGISTRY names another"
                                          : "from " + read.storeSetting)
            << "): ";
        switch (read.storeState) {
        case State::Read:
            out << "read\n";
            break;
        case State::Missing:
            out << "missing (" << read.storeReason << ")\n";
            break;
        case State::Unreadable:
            out << "unreadable (" << read.storeReason << ")\n";
            break;
        case State::Directory:
            out << "a directory, not a file\n";
            break;
        case State::NotAnExportFile:
            out << "not a registry export file: its first line is neither \"Windows Registry Editor Version "
                   "5.00\" nor \"REGEDIT4\"\n";
            break;
        }
        if (read.storeState != State::Read) {
            out << indent << "key: " << read.keyPath << ", value " << valueLabel(read.valueName)
                << ": not looked up\n";
            return out.str();
        }
    }
    out << indent << "key: " << read.keyPath << (read.keyFound ? "  found" : "  not found") << '\n';
    const std::string inOtherView = read.inOtherView ? indent + "the 32-bit view (WOW6432Node) holds the value, "
                                                                "which a 64-bit program does not read: write it "
                                                                "without /reg:32\n"
                                                     : "";
    if (!read.keyFound) {
        if (!read.nearestKey.empty()) {
            std::string subkeys;
            for (std::size_t i = 0; i < read.nearestSubkeys.size() && i < 12; ++i)
                subkeys += (i ? ", " : "") + read.nearestSubkeys[i];
            if (read.nearestSubkeys.size() > 12)
                subkeys += ", ... (" + std::to_string(read.nearestSubkeys.size()) + " in all)";
            out << indent << "below " << read.nearestKey << ": "
                << (subkeys.empty() ? std::string("no keys") : "only " + subkeys) << '\n';
        }
        return out.str() + inOtherView;
    }
    out << indent << "value: " << valueLabel(read.valueName) << "  ";
    if (!read.valueFound)
        out << "not found\n" << inOtherView;
    else if (read.valueBytes > lookup.registryReadLimit)
        out << tooLong(read.valueBytes, lookup.registryReadLimit) << '\n';
    else if (!lookup.registryText || lookup.registryText->empty())
        out << "set but empty, which counts as unset\n";
    else if (lookup.registryText->size() >= lookup.size)
        out << tooLong(lookup.registryText->size(), lookup.size - 1) << '\n';
    else
        out << *lookup.registryText << "  (used)\n";
    if (read.valueFound && !standin::isText(read.type))
        out << indent << "its type is " << standin::typeName(read.type) << ", not text: a lookup takes its "
            << byteCount(read.valueBytes) << (read.valueBytes == 1 ? " byte" : " bytes") << " as they stand\n";
    if (lookup.registryText)
        if (const std::string_view unexpanded = standin::unexpandedName(*lookup.registryText); !unexpanded.empty())
            out << indent << unexpanded << " is not expanded: the value is used as it stands\n";
    return out.str();
}

std::string explanation(const Report& report, bool verbose)
{
    const bool initialized = report.result == 1;
    std::ostringstream out;
    out << "Initialize, step by step:\n";
    for (std::size_t i = 0; i < report.steps.size(); ++i)
        out << (i + 1 < 10 ? "   " : "  ") << i + 1 << ". "
            << explainStep(report.steps[i], !initialized && i + 1 == report.steps.size(), report, verbose) << '\n';
    if (!initialized) {
        out << "\nInitialize failed at step " << report.steps.size() << ": " << report.Reason() << '\n';
        return out.str();
    }
    out << "\nHome: " << kept(report.kept.home) << (report.sandbox ? "  (sandbox)" : "  (installation)")
        << ", found by " << homeSourceText(report.homeSource) << '\n';
    out << "\nEntries that a setting decides:\n";
    struct Decided {
        const std::string& key;
        const std::string& value;
        const Report::Decision& decision;
    };
    std::vector<Decided> decided;
    std::size_t width = 0;
    for (const auto& [key, value] : report.published)
        for (const auto& decision : report.decisions)
            if (decision.key == key) {
                decided.push_back({key, value, decision});
                width = std::max(width, key.size());
                break;
            }
    for (const Decided& entry : decided)
        out << "  " << entry.key << std::string(width - entry.key.size(), ' ') << "  " << entry.value << "\n  "
            << std::string(width, ' ') << "  <- " << describe(entry.decision, report) << '\n';
    return out.str();
}

} // namespace qz::words
