// PathManager.cpp - the configuration path manager; no platform code beyond the platform layer.
#include "QZ_PathManager.h"
