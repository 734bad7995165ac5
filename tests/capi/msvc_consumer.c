/* msvc_consumer.c - a program of Microsoft's toolchain (clang in MSVC mode, lld-link, no mingw runtime) that reaches QZAppInfo.dll through qzappinfo.h and QZAppInfo.lib alone. */
#include "qzappinfo.h"

/* No Windows or C runtime headers exist here: the few functions needed are declared as
 * msvcrt.dll and kernel32.dll export them, and reached through import libraries made
 * from small module definition files. */
__declspec(dllimport) int printf(const char* format, ...);
__declspec(dllimport) char* getenv(const char* name);
__declspec(dllimport) uint32_t __stdcall GetModuleFileNameA(void* module, char* name, uint32_t size);
__declspec(dllimport) void __stdcall ExitProcess(uint32_t code);

/* The MSVC-mode compiler refers to this symbol wherever floating point is used; the C
 * runtime's start-up code would define it. */
int _fltused = 0;

static const char* shown(const char* text) { return text ? text : "(null)"; }

static int run(void)
{
    char executable[1024];
    char value[64];
    char directory[QZ_DIRECTORY_SIZE];
    const char* config = getenv("QZ_CONSUMER_CONFIG");
    qz_info* info;
    qz_paths* paths;
    int32_t ok, origin, found;
    char* dump;

    printf("version %s %d.%d.%d\n", shown(qz_version()), (int)qz_version_major(), (int)qz_version_minor(),
           (int)qz_version_build());
    if (GetModuleFileNameA(0, executable, sizeof executable) == 0)
        return 3;
    info = qz_info_create();
    if (!info)
        return 4;
    ok = qz_info_initialize(info, "Ryndel", 10.0f, "support@corvan.example", executable, 3, 2019, 2024);
    printf("initialize %d\n", (int)ok);
    printf("home %s\n", shown(qz_info_corvan_home(info)));
    printf("title %s\n", shown(qz_info_application_title(info)));
    printf("qz_help_dir %s\n", shown(qz_info_published_path(info, "qz_help_dir")));
    printf("tcl_lib %s\n", shown(qz_info_published_path(info, "tcl_lib")));
    printf("keys %d first %s\n", (int)qz_info_key_count(info), shown(qz_info_key(info, 0)));
    origin = qz_info_sysvar(info, "QZ_CONSUMER_VAR", value, sizeof value);
    printf("sysvar %d %s\n", (int)origin, value);
    dump = qz_info_dump(info);
    printf("dump %.8s\n", shown(dump));
    qz_free(dump);

    paths = qz_paths_create(info, 0);
    qz_info_destroy(info);
    if (!paths)
        return 5;
    found = qz_paths_get_file_path(paths, "consumer.cfg", directory, sizeof directory, 4);
    printf("config %d %s\n", (int)found, directory);
    printf("config_path %s\n", shown(config));
    qz_paths_destroy(paths);
    return ok == 1 && found == 1 ? 0 : 1;
}

void mainCRTStartup(void) { ExitProcess((uint32_t)run()); }
