// terminal_windows.cpp - qzpaths' terminal queries on Windows.
#include "Terminal.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace qzpaths {

// A console that accepts escape sequences; a pipe or a file is no terminal.
bool stdoutIsColourTerminal()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode))
        return false;
    return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

// Text mode would write each '\n' as "\r\n", also inside a quoted value.
void setBinaryOutput()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace qzpaths
