// FailureWords.cpp - why Initialize failed, in words: the one place that turns a failure and
// what the start-up consulted into the sentence that every face shows first.
#include "QZStartupReport.h"

#include <string>

namespace {

using Report = QZStartupReport;

std::string environmentPart(const Report::Lookup& lookup)
{
    using State = Report::EnvironmentState;
    switch (lookup.environment) {
    case State::Unset:
        return lookup.name + " is unset in the environment";
    case State::Empty:
        return lookup.name + " is empty in the environment";
    case State::TooLong:
        return lookup.name + " in the environment is " + std::to_string(lookup.environmentBytes) +
               " bytes, too long to be read";
    case State::Used:
        break;
    }
    return lookup.name + " is set in the environment";
}

std::string registryPart(const Report::Lookup& lookup)
{
    if (!lookup.registry)
        return "";
    const Report::RegistryRead& read = *lookup.registry;
    const bool standIn = read.store != "HKEY_LOCAL_MACHINE";
    const std::string store = standIn ? "the registry stand-in " + read.store : std::string("the registry");
    using State = Report::RegistryRead::StoreState;
    switch (read.storeState) {
    case State::Missing:
        return store + " does not exist";
    case State::Unreadable:
        return store + " could not be read (" + read.storeReason + ")";
    case State::Directory:
        return store + " is a directory, not a file";
    case State::NotAnExportFile:
        return store + " is not a registry export file";
    case State::Read:
        break;
    }
    if (!read.keyFound)
        return store + " has no key " + read.keyPath;
    if (!read.valueFound)
        return store + " has no value " + lookup.name + " in " + read.keyPath;
    if (!lookup.registryText)
        return lookup.name + " in " + store + " is " + std::to_string(read.valueBytes) + " bytes: at most " +
               std::to_string(lookup.registryReadLimit) + " are read";
    return lookup.name + " in " + store + " is empty";
}

std::string walkPart(const Report& report)
{
    const std::string from = report.walk.empty() ? std::string("the executable") : report.walk.front().directory;
    using End = Report::WalkEnd;
    switch (report.walkEnd) {
    case End::CannotEnter:
        return "the executable's directory " + from + " could not be entered to look for qzcommon above it";
    case End::DirectoryUnreadable:
        return "the walk up from " + from + " lost the current directory before it found qzcommon";
    default:
        break;
    }
    return "no qzcommon directory lies at or above " + from;
}

} // namespace

const char* QZStartupReport::FailureText(Failure failure)
{
    switch (failure) {
    case Failure::None:
        return "no failure";
    case Failure::AlreadyInitialized:
        return "the record is already initialized";
    case Failure::EmptyApplicationName:
        return "the application name is empty";
    case Failure::NoCurrentDirectory:
        return "the current directory cannot be read";
    case Failure::EmptyExecutableName:
        return "the executable name is empty";
    case Failure::ExecutableNotFound:
        return "executable not found";
    case Failure::NoHome:
        return "no installation home found";
    case Failure::EmptyHome:
        return "CORVAN_HOME is a single separator, which leaves no home";
    case Failure::IncompleteInternalTable:
        return "the internal path table is incomplete";
    }
    return "unknown failure";
}

std::string QZStartupReport::Reason() const
{
    std::string reason = FailureText(failure);
    if (failure == Failure::ExecutableNotFound)
        return reason + ": " + executableName;
    if (failure != Failure::NoHome)
        return reason;
    for (const Lookup& lookup : lookups) {
        if (lookup.name != "CORVAN_HOME")
            continue;
        reason += ": " + environmentPart(lookup);
        if (const std::string registry = registryPart(lookup); !registry.empty())
            reason += "; " + registry;
        break;
    }
    return reason + "; " + walkPart(*this);
}
