/* qzappinfo.h - the C interface of QZAppInfo: opaque handles, char texts and fixed-width integers only. */
#ifndef QZAPPINFO_C_H
#define QZAPPINFO_C_H

/*
 * This header is the part of QZAppInfo that any compiler can use: C99 and later, C++ of
 * any standard, mingw-w64, clang, MSVC. Nothing of C++ crosses it: no classes, no
 * exceptions, no allocator of one runtime released by another. It needs no other header
 * of the library.
 *
 * Conventions, true of every function unless its comment says otherwise:
 * - Texts are 8-bit, NUL-terminated, in the system's ANSI code page (UTF-8 or the
 *   locale's bytes on Linux). Path values use '/' between the parts the library joins.
 * - A "borrowed" text (const char*) is owned by the handle it came from and stays valid,
 *   at the same address, until that handle is destroyed; never free it.
 * - A text that the library builds for the caller (char*) is released with qz_free,
 *   never with the caller's own free() or delete[].
 * - A NULL handle or a NULL required pointer is never dereferenced: the function returns
 *   its failure value (NULL, 0 or QZ_ERROR_ARGUMENT, as stated).
 * - Running out of memory is reported as the failure value stated; the library never
 *   throws, prints, aborts or sets errno for it.
 * - Threads: qz_info_initialize must run alone (it changes the process's current
 *   directory while it walks upward). Afterwards a record and its path managers may be
 *   read from several threads without a lock.
 * - The version argument is an IEEE 754 single (float), as on every target the library
 *   is built for; integers are of fixed width.
 */

#include <stddef.h>
#include <stdint.h>

#if defined(QZAPPINFO_STATIC_DEFINE)
#  define QZ_API
#elif defined(_WIN32)
#  if defined(QZAppInfo_EXPORTS)
#    define QZ_API __declspec(dllexport)
#  else
#    define QZ_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define QZ_API __attribute__((visibility("default")))
#else
#  define QZ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results below zero, shared by every function that returns an int32_t status. */
#define QZ_ERROR_ARGUMENT (-1) /* a NULL handle or required pointer, or a size of 0 */
#define QZ_ERROR_MEMORY (-2)   /* memory ran out */
#define QZ_ERROR_SIZE (-3)     /* the result does not fit the caller's buffer */

/* Where a system variable's value was found (qz_info_sysvar). */
#define QZ_SYSVAR_NOWHERE 0
#define QZ_SYSVAR_ENVIRONMENT 1
#define QZ_SYSVAR_REGISTRY 2

/* How qz_info_initialize found the installation home (qz_info_home_origin). */
#define QZ_HOME_NOT_FOUND 0
#define QZ_HOME_FROM_ENVIRONMENT 1 /* CORVAN_HOME in the environment */
#define QZ_HOME_FROM_REGISTRY 2    /* CORVAN_HOME in the registry */
#define QZ_HOME_FROM_WALK 3        /* a qzcommon directory at or above the executable */

/* What decided a published entry that a setting can change (qz_info_path_origin). */
#define QZ_PATH_NOT_DECIDED 0
#define QZ_PATH_DEFAULT 1
#define QZ_PATH_FROM_ENVIRONMENT 2
#define QZ_PATH_FROM_REGISTRY 3
#define QZ_PATH_FROM_APPLICATION_NAME 4

/* Place codes of a read order (qz_paths_read_all). Any other code names no place. */
#define QZ_PLACE_PRODUCTION_INSTALLATION 1
#define QZ_PLACE_CONFIG_DIRECTORIES 2 /* every configuration directory, first to last */
#define QZ_PLACE_USER_HOME 3
#define QZ_PLACE_CURRENT_DIRECTORY 4

/* Room that a directory found by qz_paths_get_file_path can need, terminator included. */
#define QZ_DIRECTORY_SIZE 1024

/* ---- The library ------------------------------------------------------------------ */

/* The version of this header, for the preprocessor: the text, and the number
 * major * 1000000 + minor * 1000 + build. A program compiled against one version may
 * load a library of another; qz_version says which one it loaded. */
#define QZ_VERSION_STRING "10.0build60"
#define QZ_VERSION_NUMBER 10000060

/* The loaded library's display version, "10.0build60": a constant text, valid while the
 * library is loaded. Never NULL. */
QZ_API const char* qz_version(void);
/* Its numbers: major 10, minor 0, build 60. */
QZ_API int32_t qz_version_major(void);
QZ_API int32_t qz_version_minor(void);
QZ_API int32_t qz_version_build(void);

/* Releases a text that qz_info_dump or qz_info_feature_name built. NULL is ignored. */
QZ_API void qz_free(char* text);

/* ---- The application information record ------------------------------------------- */

typedef struct qz_info qz_info;

/* A new, empty record that has read nothing from the machine: every text accessor
 * returns NULL but qz_info_display_version_info. NULL when memory ran out.
 * Release it with qz_info_destroy. */
QZ_API qz_info* qz_info_create(void);
/* Releases the record and every text borrowed from it. Path managers made over it keep
 * their own share of it and stay usable. NULL is ignored. */
QZ_API void qz_info_destroy(qz_info* info);

/* Finds the executable and the suite's home and fills the record and its tables, as
 * QZApplicationInfo::Initialize. name, support_email and executable must be non-NULL
 * texts; executable is the name the program was started under (argv[0] will do).
 * Returns 1 on success, 0 on failure: Initialize failed (the fields set so far stay
 * readable), the record was already initialized, a required argument was NULL, or
 * memory ran out. Never another value. */
QZ_API int32_t qz_info_initialize(qz_info* info, const char* name, float version,
                                  const char* support_email, const char* executable,
                                  int32_t patch_level, int32_t first_year, int32_t last_year);

/* 1 once qz_info_initialize has succeeded on the record, else 0 (also for NULL). */
QZ_API int32_t qz_info_initialized(const qz_info* info);

/* Why the last qz_info_initialize on the record returned 0, as a QZ_FAILURE_ code;
 * QZ_FAILURE_NONE before any call, after a success, and for NULL. */
#define QZ_FAILURE_NONE 0
#define QZ_FAILURE_ALREADY_INITIALIZED 1 /* a second call: the record stays as it was */
#define QZ_FAILURE_EMPTY_APPLICATION_NAME 2
#define QZ_FAILURE_NO_CURRENT_DIRECTORY 3
#define QZ_FAILURE_EMPTY_EXECUTABLE_NAME 4
#define QZ_FAILURE_EXECUTABLE_NOT_FOUND 5  /* absolute name, current directory and PATH */
#define QZ_FAILURE_NO_HOME 6               /* no CORVAN_HOME and no qzcommon at or above */
#define QZ_FAILURE_EMPTY_HOME 7            /* CORVAN_HOME was a single separator */
#define QZ_FAILURE_INCOMPLETE_TABLE 8      /* the internal table lacks a required key */
#define QZ_FAILURE_ARGUMENT 9              /* a required argument was NULL */
#define QZ_FAILURE_MEMORY 10               /* memory ran out */
QZ_API int32_t qz_info_failure(const qz_info* info);
/* The words of a QZ_FAILURE_ code, as "no installation home found": a constant text, never
 * NULL ("unknown failure" for a code that is none of them). */
QZ_API const char* qz_failure_text(int32_t code);
/* Why the last qz_info_initialize on the record returned 0, in one line that names every
 * source consulted and what it found there: "no installation home found: CORVAN_HOME is
 * unset in the environment; the registry stand-in /etc/corvan/registry.reg could not be
 * read (Permission denied); no qzcommon directory lies at or above /usr/bin". Borrowed
 * from the record; the text of qz_failure_text where no start-up ran (no failure, a NULL
 * argument, memory, a second call); NULL for a NULL record. */
QZ_API const char* qz_info_failure_reason(const qz_info* info);

/* Accessors. Each returns a borrowed text, or NULL until qz_info_initialize has set
 * the field (some stay NULL when the machine gives no value: architecture,
 * x_display_name, executable_dir), and NULL for a NULL record. */
QZ_API const char* qz_info_corvan_home(const qz_info* info);         /* '/'-separated */
QZ_API const char* qz_info_application_title_no_patch(const qz_info* info);
QZ_API const char* qz_info_application_title(const qz_info* info);
QZ_API const char* qz_info_architecture(const qz_info* info);        /* CORVAN_ARCH */
QZ_API const char* qz_info_copyright_statement(const qz_info* info);
QZ_API const char* qz_info_current_working_dir(const qz_info* info);
QZ_API const char* qz_info_x_display_name(const qz_info* info);      /* DISPLAY */
QZ_API const char* qz_info_display_version_info(const qz_info* info); /* set from creation */
QZ_API const char* qz_info_executable_dir(const qz_info* info);
QZ_API const char* qz_info_executable_path(const qz_info* info);
QZ_API const char* qz_info_system_base_registry_path(const qz_info* info);
QZ_API const char* qz_info_user_base_registry_path(const qz_info* info);
QZ_API const char* qz_info_application_name(const qz_info* info);
QZ_API const char* qz_info_product_architecture(const qz_info* info); /* "win64" on Windows */
QZ_API const char* qz_info_support_email(const qz_info* info);        /* "mailto:..." */
/* The version given to qz_info_initialize; 0 before it and for NULL. */
QZ_API float qz_info_application_version(const qz_info* info);

/* The application name without blanks, built for the caller: release it with qz_free.
 * The empty text before a name is stored; NULL for a NULL record or when memory ran
 * out. */
QZ_API char* qz_info_feature_name(const qz_info* info);

/* The value of a published key (exact, case-sensitive), borrowed from the record; NULL
 * before a successful initialization, for an unknown key, or a NULL argument. */
QZ_API const char* qz_info_published_path(const qz_info* info, const char* key);

/* The published keys in table order (77 after a successful initialization, 0 before):
 * the count, and the key at index 0 .. count-1, borrowed from the record; NULL when
 * index is out of range or info is NULL. qz_info_key_count gives 0 for NULL. */
QZ_API int32_t qz_info_key_count(const qz_info* info);
QZ_API const char* qz_info_key(const qz_info* info, int32_t index);

/* Text dump of the published table ("<count> keys", a rule, "key : value" per entry,
 * a rule; one line each, '\n' ends), built for the caller: release it with qz_free.
 * Works before initialization too (0 keys). NULL for a NULL record or when memory ran
 * out. */
QZ_API char* qz_info_dump(const qz_info* info);

/* The record of the last qz_info_initialize on info, successful or not, as one line of
 * JSON that ends with '\n': the object that QZAPPINFO_TRACE appends to a trace file for a
 * start-up ("event": "initialize"; its fields are documented in qzpaths(1), "schema" gives
 * their layout), for an "About" box or a support bundle. Built for the caller: release it
 * with qz_free. NULL for a NULL record, before any qz_info_initialize ran to its end, and
 * when memory ran out. */
QZ_API char* qz_info_report_json(const qz_info* info);

/* Looks up a system variable (the environment, else the registry below the system base
 * registry path) and writes its value into value, which holds size bytes. A value that
 * does not fit, terminator included, is not cut: it counts as absent. Answers once
 * qz_info_initialize has built the system base registry path, also when it failed after
 * that (no home found, say), as qzpaths sysvar does; before, nothing is found. Whenever value is non-NULL and size at least 1, value
 * holds a text afterwards (the empty one when nothing was found); nothing is written at
 * or beyond value[size], and with size 0 nothing is written at all.
 * Returns QZ_SYSVAR_ENVIRONMENT or QZ_SYSVAR_REGISTRY when a value was written,
 * QZ_SYSVAR_NOWHERE when not (also before initialization and for size 0), and
 * QZ_ERROR_ARGUMENT for a NULL info or name, or a NULL value with a size above 0, or
 * QZ_ERROR_MEMORY (value then empty). */
QZ_API int32_t qz_info_sysvar(const qz_info* info, const char* name, char* value, uint32_t size);

/* How the home was found: a QZ_HOME_... code; QZ_HOME_NOT_FOUND for NULL. */
QZ_API int32_t qz_info_home_origin(const qz_info* info);
/* The directories in which the upward walk looked for qzcommon, in order (the last is
 * the home when the walk found it): count, and each borrowed from the record; NULL when
 * index is out of range. */
QZ_API int32_t qz_info_walk_level_count(const qz_info* info);
QZ_API const char* qz_info_walk_level(const qz_info* info, int32_t index);
/* What decided the published entry key: a QZ_PATH_... code. When setting is non-NULL it
 * receives the name of the deciding setting (borrowed from the record), or NULL when no
 * setting decides the key. QZ_PATH_NOT_DECIDED for a NULL
 * info or key. */
QZ_API int32_t qz_info_path_origin(const qz_info* info, const char* key, const char** setting);

/* ---- The configuration path manager ----------------------------------------------- */

typedef struct qz_paths qz_paths;

/* Gathers the configuration places of an initialized record: the production
 * installation directory (the executable's directory), the entries of QZ_CONFIG_PATH,
 * HOME and the current directory. Unless keep_duplicates is non-zero, a directory equal
 * to one later in the read order is blanked (emptied, never removed).
 * The path manager keeps its own share of the record, so info may be destroyed first.
 * NULL when info is NULL or not initialized, or when memory ran out.
 * Release it with qz_paths_destroy. */
QZ_API qz_paths* qz_paths_create(const qz_info* info, int32_t keep_duplicates);
/* Releases the path manager and every text borrowed from it. NULL is ignored. */
QZ_API void qz_paths_destroy(qz_paths* paths);

/* The path manager's share of the record, readable with every qz_info_ function;
 * borrowed: valid until qz_paths_destroy, never passed to qz_info_destroy. */
QZ_API const qz_info* qz_paths_info(const qz_paths* paths);

/* Accessors: borrowed texts, the empty text for a place that is unset or was blanked as a
 * duplicate; NULL only for a NULL path manager. */
QZ_API const char* qz_paths_production_installation_dir(const qz_paths* paths);
QZ_API const char* qz_paths_config_path(const qz_paths* paths); /* all of QZ_CONFIG_PATH */
QZ_API const char* qz_paths_user_home(const qz_paths* paths);
QZ_API const char* qz_paths_cwd(const qz_paths* paths);
QZ_API const char* qz_paths_directory_string(const qz_paths* paths); /* "/" */
/* The number of configuration directories; 0 for NULL. */
QZ_API int32_t qz_paths_config_path_count(const qz_paths* paths);
/* Configuration directory index (the empty text when blanked); NULL out of range. */
QZ_API const char* qz_paths_config_path_item(const qz_paths* paths, int32_t index);

/* 1 when anything (file or directory) exists at path, else 0 (also for NULL). */
QZ_API int32_t qz_paths_find_file_with_directory(const qz_paths* paths, const char* path);
/* 1 when directory + "/" + file_name exists, else 0; 0 at once for an empty directory
 * and for NULL arguments. */
QZ_API int32_t qz_paths_find_file_path(const qz_paths* paths, const char* directory,
                                       const char* file_name);
/* Searches the first count steps (0 current directory, 1 home, 2 configuration
 * directories, 3 production installation directory; later steps name no place) for
 * file_name. Returns 1 when found, with the directory where it lies in directory
 * (size bytes; QZ_DIRECTORY_SIZE always suffice); 0 when not found, with directory
 * holding what the last step tried (the empty text past step 3, or when count < 1).
 * QZ_ERROR_SIZE when the text to be written does not fit size bytes (directory then
 * holds the empty text), QZ_ERROR_ARGUMENT for NULL arguments or a size of 0 (directory
 * untouched), QZ_ERROR_MEMORY (directory then empty). Nothing is written at or beyond
 * directory[size]. */
QZ_API int32_t qz_paths_get_file_path(const qz_paths* paths, const char* file_name,
                                      char* directory, uint32_t size, int32_t count);

/* The reader that qz_paths_read_all calls with each place's directory (the empty text
 * for a blanked or unset place; borrowed for the call only) and the caller's user_data.
 * Return 0 to go on; any other value ends the walk. */
typedef int32_t (*qz_read_fn)(const char* directory, void* user_data);

/* Calls reader for each place that order names: order is NULL (meaning 1, 2, 3, 4) or
 * points at four QZ_PLACE_... codes. The calls run on the caller's thread, one after
 * another. Returns 0 when every call returned 0, else the first non-zero value a call
 * returned (the walk ends there); QZ_ERROR_ARGUMENT for a NULL paths or reader;
 * QZ_ERROR_MEMORY when memory ran out. A reader that returns a negative value of its
 * own is told apart from these only by the reader itself. */
QZ_API int32_t qz_paths_read_all(const qz_paths* paths, const int32_t* order, qz_read_fn reader,
                                 void* user_data);

#ifdef __cplusplus
}
#endif

#endif
