/* trace_start.c - an application that starts as any other does, through the C interface:
 * Initialize with the executable name it is given, then a lookup, a search and a read.
 * It knows nothing of QZAPPINFO_TRACE; its tests set the variable around it.
 * Prints "started" or the failure reason; exits 0 when initialized, else 1. */
#include "qzappinfo.h"

#include <stdio.h>

static int32_t ignore(const char* directory, void* data)
{
    (void)directory;
    (void)data;
    return 0;
}

int main(int argc, char** argv)
{
    qz_info* info = qz_info_create();
    qz_paths* paths;
    char value[256];
    char directory[QZ_DIRECTORY_SIZE];
    if (argc != 2 || !info)
        return 2;
    if (!qz_info_initialize(info, "Ryndel", 10.0f, "support@corvan.example", argv[1], 0, 2009, 2009)) {
        printf("%s\n", qz_info_failure_reason(info));
        qz_info_destroy(info);
        return 1;
    }
    qz_info_sysvar(info, "DISPLAY", value, sizeof value);
    paths = qz_paths_create(info, 0);
    if (paths) {
        qz_paths_get_file_path(paths, "ryndel.ini", directory, sizeof directory, 4);
        qz_paths_read_all(paths, NULL, ignore, NULL);
        qz_paths_destroy(paths);
    }
    printf("started\n");
    qz_info_destroy(info);
    return 0;
}
