// RegistryFile.h - the registry export file reader's interface, which lives in platform/registry/.
#include "platform/registry/RegistryFile.h"
