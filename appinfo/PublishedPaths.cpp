// PublishedPaths.cpp - the published catalogue of well-known keys; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

void QZApplicationInfo::_SetupPublishedPaths()
{
}

bool QZApplicationInfo::_HasRequiredInternalPaths() const
{
    return true;
}
