// Terminal.h - what qzpaths needs to know about its output stream.
#ifndef QZPATHS_TERMINAL_H
#define QZPATHS_TERMINAL_H

namespace qzpaths {

// Whether standard output is a terminal that shows colour.
bool stdoutIsColourTerminal();

} // namespace qzpaths

#endif
