// terminal_posix.cpp - qzpaths' terminal queries on POSIX systems.
#include "Terminal.h"

#include <unistd.h>

namespace qzpaths {

bool stdoutIsColourTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

} // namespace qzpaths
