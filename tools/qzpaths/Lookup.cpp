// Lookup.cpp - what one system variable lookup consulted and found, as indented text and as
// JSON, for qzpaths explain and sysvar.
#include "Names.h"
#include "Printing.h"

#include <iostream>

namespace qzpaths {

namespace {

using Report = QZStartupReport;

// "set, but 1,500 bytes: at most 1,023 are read"
std::string tooLong(std::size_t bytes, std::size_t most)
{
    return "set, but " + byteCount(bytes) + " bytes: at most " + byteCount(most) + " are read";
}

bool isSystemRegistry(const Report::RegistryRead& read) { return read.store == "HKEY_LOCAL_MACHINE"; }

std::string valueLabel(const std::string& name) { return name.empty() ? "(default)" : name; }

} // namespace

void printLookupDetails(std::ostream& out, const Report::Lookup& lookup, const std::string& indent)
{
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
        return;
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
            return;
        }
    }
    out << indent << "key: " << read.keyPath << (read.keyFound ? "  found" : "  not found") << '\n';
    if (!read.keyFound)
        return;
    out << indent << "value: " << valueLabel(read.valueName) << "  ";
    if (!read.valueFound)
        out << "not found\n";
    else if (read.valueBytes > lookup.registryReadLimit)
        out << tooLong(read.valueBytes, lookup.registryReadLimit) << '\n';
    else if (!lookup.registryText || lookup.registryText->empty())
        out << "set but empty, which counts as unset\n";
    else if (lookup.registryText->size() >= lookup.size)
        out << tooLong(lookup.registryText->size(), lookup.size - 1) << '\n';
    else
        out << *lookup.registryText << "  (used)\n";
}

json lookupJson(const Report::Lookup& lookup)
{
    json registry = nullptr;
    if (lookup.registry) {
        const Report::RegistryRead& read = *lookup.registry;
        registry = {{"store", jsonText(read.store)},
                    {"storeSetting", read.storeSetting.empty() ? json(nullptr) : jsonText(read.storeSetting)},
                    {"storeState", storeStateName(read.storeState)},
                    {"storeReason", read.storeReason.empty() ? json(nullptr) : jsonText(read.storeReason)},
                    {"key", jsonText(read.keyPath)},
                    {"keyFound", read.keyFound},
                    {"valueName", jsonText(read.valueName)},
                    {"valueFound", read.valueFound},
                    {"valueBytes", read.valueFound ? json(read.valueBytes) : json(nullptr)},
                    {"readLimit", lookup.registryReadLimit},
                    {"text", lookup.registryText ? jsonText(*lookup.registryText) : json(nullptr)}};
    }
    const bool found = lookup.source != Report::Lookup::Source::Nowhere;
    return {{"name", jsonText(lookup.name)},
            {"value", found ? jsonText(lookup.value) : json(nullptr)},
            {"origin", sourceName(lookup.source)},
            {"size", lookup.size},
            {"environment",
             {{"state", environmentStateName(lookup.environment)},
              {"bytes", lookup.environmentText ? json(lookup.environmentBytes) : json(nullptr)},
              {"text", lookup.environmentText ? jsonText(*lookup.environmentText) : json(nullptr)}}},
            {"registry", registry}};
}

} // namespace qzpaths
