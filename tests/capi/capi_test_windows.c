/* capi_test_windows.c - the C tests' operating-system services on Windows (the C runtime's own calls). */
#include "capi_test_os.h"

#include <direct.h>
#include <process.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

int qzt_make_temp_root(char* root, size_t size)
{
    const char* base = getenv("TEMP");
    int attempt;
    if (!base || !*base)
        base = getenv("TMP");
    if (!base || !*base)
        return 0;
    for (attempt = 0; attempt < 100; ++attempt) {
        int written = snprintf(root, size, "%s\\qzcapi-%d-%ld-%d", base, _getpid(), (long)time(NULL), attempt);
        if (written < 0 || (size_t)written >= size)
            return 0;
        if (_mkdir(root) == 0)
            return 1;
    }
    return 0;
}

int qzt_make_dir(const char* path) { return _mkdir(path) == 0; }
int qzt_remove_dir(const char* path) { return _rmdir(path) == 0; }

/* An empty value unsets a variable on Windows, which is what NULL asks for. */
int qzt_set_env(const char* name, const char* value) { return _putenv_s(name, value ? value : "") == 0; }

int qzt_change_dir(const char* path) { return _chdir(path) == 0; }
char qzt_separator(void) { return '\\'; }
const char* qzt_product_architecture(void) { return "win64"; }
