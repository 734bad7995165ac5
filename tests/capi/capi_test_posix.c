/* capi_test_posix.c - the C tests' operating-system services on POSIX systems. */
#define _XOPEN_SOURCE 700
#include "capi_test_os.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int qzt_make_temp_root(char* root, size_t size)
{
    char pattern[PATH_MAX];
    char resolved[PATH_MAX];
    const char* base = getenv("TMPDIR");
    if (!base || !*base)
        base = "/tmp";
    if (snprintf(pattern, sizeof pattern, "%s/qzcapi-XXXXXX", base) >= (int)sizeof pattern)
        return 0;
    if (!mkdtemp(pattern) || !realpath(pattern, resolved) || strlen(resolved) >= size)
        return 0;
    strcpy(root, resolved);
    return 1;
}

int qzt_make_dir(const char* path) { return mkdir(path, 0700) == 0; }
int qzt_remove_dir(const char* path) { return rmdir(path) == 0; }

int qzt_set_env(const char* name, const char* value)
{
    return (value ? setenv(name, value, 1) : unsetenv(name)) == 0;
}

int qzt_change_dir(const char* path) { return chdir(path) == 0; }
char qzt_separator(void) { return '/'; }
const char* qzt_product_architecture(void) { return "linux64"; }
