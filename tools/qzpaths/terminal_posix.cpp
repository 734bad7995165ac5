// terminal_posix.cpp - qzpaths' terminal queries on POSIX systems.
#include "Terminal.h"

#include <unistd.h>

namespace qzpaths {

bool stdoutIsColourTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

// POSIX streams never translate line ends.
void setBinaryOutput() {}

} // namespace qzpaths
