// Lookup.cpp - what one system variable lookup consulted and found, as indented text and as
// JSON, for qzpaths explain and sysvar.
#include "Printing.h"

#include <QZRegistryStandIn.h>

#include <iostream>

namespace qzpaths {

using Report = QZStartupReport;

void printLookupDetails(std::ostream& out, const Report::Lookup& lookup, const std::string& indent)
{
    out << qz::words::lookupDetails(lookup, indent);
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
                    {"type", read.valueFound ? json(qz::standin::typeName(read.type)) : json(nullptr)},
                    {"nearestKey", read.nearestKey.empty() ? json(nullptr) : jsonText(read.nearestKey)},
                    {"nearestSubkeys", json::array()},
                    {"inOtherView", read.inOtherView},
                    {"readLimit", lookup.registryReadLimit},
                    {"text", lookup.registryText ? jsonText(*lookup.registryText) : json(nullptr)}};
    }
    if (lookup.registry)
        for (const std::string& subkey : lookup.registry->nearestSubkeys)
            registry["nearestSubkeys"].push_back(jsonText(subkey));
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
