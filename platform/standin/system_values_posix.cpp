// system_values_posix.cpp - the registry is a stand-in file: its name, and no system registry to list.
#include "platform/QZRegistryStandIn.h"

#include "platform/Platform.h"

namespace qz::standin {

std::optional<std::pair<std::string, std::string>> standInFile() { return platform::registryFile(); }

std::optional<std::vector<Key>> systemValues(const std::string&, bool) { return std::nullopt; }

} // namespace qz::standin
