// Words.cpp - the names that the start-up report's JSON gives its words (steps, sources,
// states, places), and the phrases its text uses for them; one switch each.
#include "QZReportWords.h"

namespace qz::words {

using Report = QZStartupReport;
using Step = Report::Step;

const char* stepName(Step step)
{
    switch (step) {
    case Step::AlreadyInitialized:
        return "alreadyInitialized";
    case Step::ApplicationName:
        return "applicationName";
    case Step::CurrentDirectory:
        return "currentDirectory";
    case Step::ExecutableName:
        return "executableName";
    case Step::ExecutableSearch:
        return "executableSearch";
    case Step::ExecutableDirectory:
        return "executableDirectory";
    case Step::RegistryBase:
        return "registryBase";
    case Step::Display:
        return "DISPLAY";
    case Step::Architecture:
        return "CORVAN_ARCH";
    case Step::CorvanHome:
        return "CORVAN_HOME";
    case Step::SandboxProbe:
        return "sandboxProbe";
    case Step::Walk:
        return "walk";
    case Step::Home:
        return "home";
    case Step::InternalPaths:
        return "internalPaths";
    case Step::PublishedPaths:
        return "publishedPaths";
    }
    return "unknown";
}

const char* sourceName(Report::Lookup::Source source)
{
    switch (source) {
    case Report::Lookup::Source::Environment:
        return "environment";
    case Report::Lookup::Source::Registry:
        return "registry";
    default:
        return "nowhere";
    }
}

const char* environmentStateName(Report::EnvironmentState state)
{
    switch (state) {
    case Report::EnvironmentState::Unset:
        return "unset";
    case Report::EnvironmentState::Empty:
        return "empty";
    case Report::EnvironmentState::TooLong:
        return "tooLong";
    default:
        return "used";
    }
}

const char* storeStateName(Report::RegistryRead::StoreState state)
{
    using State = Report::RegistryRead::StoreState;
    switch (state) {
    case State::Read:
        return "read";
    case State::Missing:
        return "missing";
    case State::Unreadable:
        return "unreadable";
    case State::Directory:
        return "directory";
    default:
        return "notAnExportFile";
    }
}

const char* whereName(Report::Candidate::Where where)
{
    switch (where) {
    case Report::Candidate::Where::AbsoluteName:
        return "absolute name";
    case Report::Candidate::Where::CurrentDirectory:
        return "current directory";
    default:
        return "PATH";
    }
}

const char* walkEndName(Report::WalkEnd end)
{
    switch (end) {
    case Report::WalkEnd::Found:
        return "found";
    case Report::WalkEnd::CannotEnter:
        return "cannotEnter";
    case Report::WalkEnd::RootReached:
        return "rootReached";
    case Report::WalkEnd::DirectoryUnreadable:
        return "directoryUnreadable";
    default:
        return "notWalked";
    }
}

const char* homeSourceName(Report::HomeSource source)
{
    switch (source) {
    case Report::HomeSource::Environment:
        return "environment";
    case Report::HomeSource::Registry:
        return "registry";
    case Report::HomeSource::Walk:
        return "walk";
    default:
        return "none";
    }
}

const char* decisionName(Report::Decision::Origin origin)
{
    switch (origin) {
    case Report::Decision::Origin::Environment:
        return "environment";
    case Report::Decision::Origin::Registry:
        return "registry";
    case Report::Decision::Origin::ApplicationName:
        return "application name";
    default:
        return "default";
    }
}

std::string byteCount(std::size_t bytes)
{
    std::string digits = std::to_string(bytes);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

std::string homeSourceText(QZStartupReport::HomeSource source)
{
    switch (source) {
    case QZStartupReport::HomeSource::Environment:
        return "CORVAN_HOME in the environment";
    case QZStartupReport::HomeSource::Registry:
        return "CORVAN_HOME in the registry";
    case QZStartupReport::HomeSource::Walk:
        return "a qzcommon directory at or above the executable";
    default:
        return "not found";
    }
}

const char* failureName(Report::Failure failure)
{
    switch (failure) {
    case Report::Failure::None:
        return "none";
    case Report::Failure::AlreadyInitialized:
        return "alreadyInitialized";
    case Report::Failure::EmptyApplicationName:
        return "emptyApplicationName";
    case Report::Failure::NoCurrentDirectory:
        return "noCurrentDirectory";
    case Report::Failure::EmptyExecutableName:
        return "emptyExecutableName";
    case Report::Failure::ExecutableNotFound:
        return "executableNotFound";
    case Report::Failure::NoHome:
        return "noHome";
    case Report::Failure::EmptyHome:
        return "emptyHome";
    default:
        return "incompleteInternalTable";
    }
}

const char* executableStatusName(Report::ExecutableStatus status)
{
    switch (status) {
    case Report::ExecutableStatus::Missing:
        return "missing";
    case Report::ExecutableStatus::Directory:
        return "directory";
    case Report::ExecutableStatus::File:
        return "file";
    default:
        return "unknown";
    }
}

const char* probeResultName(Report::ProbeResult result)
{
    switch (result) {
    case Report::ProbeResult::Directory:
        return "directory";
    case Report::ProbeResult::NotADirectory:
        return "notADirectory";
    default:
        return "missing";
    }
}

const char* placeName(trace::Place place)
{
    switch (place) {
    case trace::Place::ProductionInstallation:
        return "productionInstallation";
    case trace::Place::ConfigurationDirectory:
        return "configurationDirectory";
    case trace::Place::UserHome:
        return "userHome";
    default:
        return "currentDirectory";
    }
}

} // namespace qz::words
