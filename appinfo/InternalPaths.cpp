// InternalPaths.cpp - the internal catalogue of base locations; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

void QZApplicationInfo::_SetupInternalPaths()
{
}
