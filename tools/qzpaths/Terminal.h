// Terminal.h - what qzpaths needs to know about, and do to, its output stream.
#ifndef QZPATHS_TERMINAL_H
#define QZPATHS_TERMINAL_H

namespace qzpaths {

// Whether standard output is a terminal that shows colour.
bool stdoutIsColourTerminal();

// Standard output from now on writes every byte as it is, '\n' included; call before
// the first output.
void setBinaryOutput();

} // namespace qzpaths

#endif
