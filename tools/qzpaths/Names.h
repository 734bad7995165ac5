// Names.h - the names by which qzpaths' JSON and text call the start-up report's words.
#ifndef QZPATHS_NAMES_H
#define QZPATHS_NAMES_H

#include "QZStartupReport.h"

namespace qzpaths {

const char* stepName(QZStartupReport::Step step);
const char* sourceName(QZStartupReport::Lookup::Source source);
const char* environmentStateName(QZStartupReport::EnvironmentState state);
const char* storeStateName(QZStartupReport::RegistryRead::StoreState state);
const char* whereName(QZStartupReport::Candidate::Where where);
const char* walkEndName(QZStartupReport::WalkEnd end);
const char* homeSourceName(QZStartupReport::HomeSource source);
const char* decisionName(QZStartupReport::Decision::Origin origin);

} // namespace qzpaths

#endif
