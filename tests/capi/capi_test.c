/* capi_test.c - the C interface used from C99: a sandbox tree, published paths, system variables, the dump, the path manager, NULL arguments and failure values. */
#include "qzappinfo.h"
#include "capi_test_os.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition) check((condition) != 0, __LINE__, #condition)
#define CHECK_TEXT(actual, expected) check_text(actual, expected, __LINE__, #actual)

static void check(int ok, int line, const char* what)
{
    if (!ok) {
        ++failures;
        fprintf(stderr, "capi_test.c:%d: failed: %s\n", line, what);
    }
}

static void check_text(const char* actual, const char* expected, int line, const char* what)
{
    int ok = (actual == NULL && expected == NULL) ||
             (actual != NULL && expected != NULL && strcmp(actual, expected) == 0);
    if (!ok) {
        ++failures;
        fprintf(stderr, "capi_test.c:%d: %s is \"%s\", expected \"%s\"\n", line, what,
                actual ? actual : "(null)", expected ? expected : "(null)");
    }
}

/* ---- a temporary tree, removed in reverse order of creation ---- */

#define MAX_PATH_TEXT 1024
#define MAX_CREATED 64

static char root[MAX_PATH_TEXT];
static char created[MAX_CREATED][MAX_PATH_TEXT];
static int created_is_dir[MAX_CREATED];
static int created_count = 0;

/* root + separator + relative, with '/' in relative turned into the system's separator. */
static const char* tree_path(const char* relative, char* out)
{
    size_t i, length;
    if (snprintf(out, MAX_PATH_TEXT, "%s%c%s", root, qzt_separator(), relative) >= MAX_PATH_TEXT) {
        fprintf(stderr, "the temporary directory's path is too long: %s\n", root);
        exit(2);
    }
    length = strlen(out);
    for (i = strlen(root); i < length; ++i)
        if (out[i] == '/')
            out[i] = qzt_separator();
    return out;
}

static void remember(const char* path, int is_dir)
{
    if (created_count < MAX_CREATED) {
        strcpy(created[created_count], path);
        created_is_dir[created_count++] = is_dir;
    }
}

static void make_dir(const char* relative)
{
    char path[MAX_PATH_TEXT];
    tree_path(relative, path);
    if (!qzt_make_dir(path)) {
        fprintf(stderr, "cannot create the directory %s\n", path);
        exit(2);
    }
    remember(path, 1);
}

static void make_file(const char* relative)
{
    char path[MAX_PATH_TEXT];
    FILE* file = fopen(tree_path(relative, path), "w");
    if (!file) {
        fprintf(stderr, "cannot create the file %s\n", path);
        exit(2);
    }
    fputs("setting = 1\n", file);
    fclose(file);
    remember(path, 0);
}

static void remove_tree(void)
{
    while (created_count > 0) {
        --created_count;
        if (created_is_dir[created_count])
            qzt_remove_dir(created[created_count]);
        else
            remove(created[created_count]);
    }
    qzt_remove_dir(root);
}

/* The path with '\' turned into '/', as the record stores its home; out may be path. */
static const char* slashed(const char* path, char* out)
{
    size_t i;
    if (out != path)
        memmove(out, path, strlen(path) + 1);
    for (i = 0; out[i]; ++i)
        if (out[i] == '\\')
            out[i] = '/';
    return out;
}

static void set_env(const char* name, const char* value)
{
    if (!qzt_set_env(name, value)) {
        fprintf(stderr, "cannot set %s\n", name);
        exit(2);
    }
}

/* Keeps the machine's own settings out of the record. */
static void isolate(void)
{
    static const char* const names[] = {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP",
                                        "QZDISPLAY_BUILD", "RY_DLL_PATH", "QZFL_HOME", "DVK_HOME",
                                        "QZ_CONFIG_PATH"};
    char registry[MAX_PATH_TEXT];
    size_t i;
    for (i = 0; i < sizeof names / sizeof names[0]; ++i)
        set_env(names[i], NULL);
    /* Only the Linux build reads it: a file that does not exist is an empty registry. */
    set_env("CORVAN_REGISTRY", tree_path("no-registry.reg", registry));
}

/* ---- the tests ---- */

static void test_version(void)
{
    char expected[32];
    snprintf(expected, sizeof expected, "%d.%dbuild%d", QZ_TEST_VERSION_MAJOR, QZ_TEST_VERSION_MINOR,
             QZ_TEST_VERSION_BUILD);
    CHECK_TEXT(qz_version(), expected);
    CHECK_TEXT(QZ_VERSION_STRING, expected);
    CHECK(QZ_VERSION_NUMBER == QZ_TEST_VERSION_MAJOR * 1000000 + QZ_TEST_VERSION_MINOR * 1000 + QZ_TEST_VERSION_BUILD);
    CHECK(qz_version_major() == QZ_TEST_VERSION_MAJOR);
    CHECK(qz_version_minor() == QZ_TEST_VERSION_MINOR);
    CHECK(qz_version_build() == QZ_TEST_VERSION_BUILD);
}

typedef const char* (*info_text_fn)(const qz_info*);

static const info_text_fn info_texts[] = {
    qz_info_corvan_home,          qz_info_application_title_no_patch, qz_info_application_title,
    qz_info_architecture,         qz_info_copyright_statement,        qz_info_current_working_dir,
    qz_info_x_display_name,       qz_info_executable_dir,             qz_info_executable_path,
    qz_info_system_base_registry_path, qz_info_user_base_registry_path, qz_info_application_name,
    qz_info_product_architecture, qz_info_support_email};
#define INFO_TEXT_COUNT (sizeof info_texts / sizeof info_texts[0])

typedef const char* (*paths_text_fn)(const qz_paths*);

static const paths_text_fn paths_texts[] = {qz_paths_production_installation_dir, qz_paths_config_path,
                                            qz_paths_user_home, qz_paths_cwd, qz_paths_directory_string};

static void test_null_arguments(void)
{
    size_t i;
    char buffer[8] = "guard";
    qz_info* info = qz_info_create();
    for (i = 0; i < INFO_TEXT_COUNT; ++i)
        CHECK(info_texts[i](NULL) == NULL);
    CHECK(qz_info_display_version_info(NULL) == NULL);
    CHECK(qz_info_initialized(NULL) == 0);
    CHECK(qz_info_application_version(NULL) == 0.0f);
    CHECK(qz_info_feature_name(NULL) == NULL);
    CHECK(qz_info_published_path(NULL, "qz_bindir") == NULL);
    CHECK(qz_info_published_path(info, NULL) == NULL);
    CHECK(qz_info_key_count(NULL) == 0);
    CHECK(qz_info_key(NULL, 0) == NULL);
    /* A NULL argument is told as such, not as memory. */
    CHECK(qz_info_initialize(info, NULL, 10.0f, "s@x", "app", 0, 2024, 2024) == 0);
    CHECK(qz_info_failure(info) == QZ_FAILURE_ARGUMENT);
    CHECK(strstr(qz_info_failure_reason(info), "argument") != NULL);
    CHECK(qz_info_failure_reason(NULL) == NULL);
    CHECK(strstr(qz_failure_text(QZ_FAILURE_MEMORY), "memory") != NULL);
    CHECK_TEXT(qz_failure_text(QZ_FAILURE_NO_HOME), "no installation home found");
    CHECK_TEXT(qz_failure_text(-7), "unknown failure");
    CHECK(qz_info_dump(NULL) == NULL);
    CHECK(qz_info_report_json(NULL) == NULL);
    CHECK(qz_info_sysvar(NULL, "HOME", buffer, sizeof buffer) == QZ_ERROR_ARGUMENT);
    CHECK(qz_info_sysvar(info, NULL, buffer, sizeof buffer) == QZ_ERROR_ARGUMENT);
    CHECK(qz_info_sysvar(info, "HOME", NULL, 4) == QZ_ERROR_ARGUMENT);
    CHECK(qz_info_sysvar(info, "HOME", NULL, 0) == QZ_SYSVAR_NOWHERE);
    CHECK_TEXT(buffer, "guard");
    CHECK(qz_info_home_origin(NULL) == QZ_HOME_NOT_FOUND);
    CHECK(qz_info_walk_level_count(NULL) == 0);
    CHECK(qz_info_walk_level(NULL, 0) == NULL);
    {
        const char* setting = "untouched";
        CHECK(qz_info_path_origin(NULL, "qz_help_dir", &setting) == QZ_PATH_NOT_DECIDED);
        CHECK(setting == NULL);
        CHECK(qz_info_path_origin(info, NULL, NULL) == QZ_PATH_NOT_DECIDED);
    }
    /* Initialize with a NULL text fails without touching the record. */
    CHECK(qz_info_initialize(NULL, "Ryndel", 10.0f, "s@x", "app", 0, 2024, 2024) == 0);
    CHECK(qz_info_initialize(info, NULL, 10.0f, "s@x", "app", 0, 2024, 2024) == 0);
    CHECK(qz_info_failure(info) == QZ_FAILURE_ARGUMENT);
    CHECK(qz_info_initialize(info, "Ryndel", 10.0f, NULL, "app", 0, 2024, 2024) == 0);
    CHECK(qz_info_failure(info) == QZ_FAILURE_ARGUMENT);
    CHECK(qz_info_initialize(info, "Ryndel", 10.0f, "s@x", NULL, 0, 2024, 2024) == 0);
    CHECK(qz_info_failure(info) == QZ_FAILURE_ARGUMENT);
    CHECK(qz_info_application_name(info) == NULL);

    CHECK(qz_paths_create(NULL, 0) == NULL);
    CHECK(qz_paths_info(NULL) == NULL);
    for (i = 0; i < sizeof paths_texts / sizeof paths_texts[0]; ++i)
        CHECK(paths_texts[i](NULL) == NULL);
    CHECK(qz_paths_config_path_count(NULL) == 0);
    CHECK(qz_paths_config_path_item(NULL, 0) == NULL);
    CHECK(qz_paths_find_file_with_directory(NULL, "x") == 0);
    CHECK(qz_paths_find_file_path(NULL, "x", "y") == 0);
    CHECK(qz_paths_get_file_path(NULL, "x", buffer, sizeof buffer, 4) == QZ_ERROR_ARGUMENT);
    CHECK_TEXT(buffer, "guard");
    CHECK(qz_paths_read_all(NULL, NULL, NULL, NULL) == QZ_ERROR_ARGUMENT);
    qz_free(NULL);
    qz_info_destroy(NULL);
    qz_paths_destroy(NULL);
    qz_info_destroy(info);
}

static const char* const empty_dump = "0 keys\n=======================\n=======================\n";

static void test_fresh_record(void)
{
    size_t i;
    char value[16];
    char* text;
    qz_info* info = qz_info_create();
    CHECK(info != NULL);
    for (i = 0; i < INFO_TEXT_COUNT; ++i)
        CHECK(info_texts[i](info) == NULL);
    CHECK_TEXT(qz_info_display_version_info(info), qz_version());
    CHECK(qz_info_initialized(info) == 0);
    CHECK(qz_info_published_path(info, "qz_bindir") == NULL);
    CHECK(qz_info_key_count(info) == 0);
    CHECK(qz_info_key(info, 0) == NULL);
    text = qz_info_dump(info);
    CHECK_TEXT(text, empty_dump);
    qz_free(text);
    CHECK(qz_info_report_json(info) == NULL); /* no start-up yet */
    text = qz_info_feature_name(info);
    CHECK_TEXT(text, "");
    qz_free(text);
    /* Before initialization the lookup answers nothing, whatever the environment holds. */
    set_env("QZ_CAPI_TEST_VAR", "abc");
    CHECK(qz_info_sysvar(info, "QZ_CAPI_TEST_VAR", value, sizeof value) == QZ_SYSVAR_NOWHERE);
    CHECK_TEXT(value, "");
    CHECK(qz_paths_create(info, 0) == NULL);
    qz_info_destroy(info);
}

/* Failures: each row fails Initialize at a different step; the record stays readable. */
static void test_initialize_failures(void)
{
    char plain_exe[MAX_PATH_TEXT], missing_exe[MAX_PATH_TEXT];
    struct {
        const char* name;
        const char* executable;
        const char* stored_name;
        int32_t failure;
    } rows[4];
    size_t i;
    rows[0].name = "";
    rows[0].executable = "app";
    rows[0].stored_name = NULL;
    rows[0].failure = QZ_FAILURE_EMPTY_APPLICATION_NAME;
    rows[1].name = "A B  C";
    rows[1].executable = "";
    rows[1].stored_name = "A B  C";
    rows[1].failure = QZ_FAILURE_EMPTY_EXECUTABLE_NAME;
    rows[2].name = "Ryndel";
    rows[2].executable = tree_path("plain/bin/missing", missing_exe);
    rows[2].stored_name = "Ryndel";
    /* An absolute name keeps its text as the executable path, yet it was not found. */
    rows[2].failure = QZ_FAILURE_EXECUTABLE_NOT_FOUND;
    /* The executable exists but no qzcommon lies above it and CORVAN_HOME is unset. */
    rows[3].name = "Ryndel";
    rows[3].executable = tree_path("plain/bin/app", plain_exe);
    rows[3].stored_name = "Ryndel";
    rows[3].failure = QZ_FAILURE_NO_HOME;
    for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char* dump;
        qz_info* info = qz_info_create();
        CHECK(qz_info_initialize(info, rows[i].name, 10.0f, "support@x", rows[i].executable, 0, 2024, 2024) == 0);
        CHECK(qz_info_initialized(info) == 0);
        CHECK(qz_info_failure(info) == rows[i].failure);
        CHECK_TEXT(qz_info_application_name(info), rows[i].stored_name);
        CHECK(qz_info_published_path(info, "qz_bindir") == NULL);
        CHECK(qz_info_key_count(info) == 0);
        dump = qz_info_dump(info);
        CHECK_TEXT(dump, empty_dump);
        qz_free(dump);
        CHECK(qz_paths_create(info, 0) == NULL);
        CHECK(strncmp(qz_info_failure_reason(info), qz_failure_text(rows[i].failure),
                      strlen(qz_failure_text(rows[i].failure))) == 0);
        if (i == 2)
            CHECK(strstr(qz_info_failure_reason(info), missing_exe) != NULL);
        /* A system variable answers once the registry base path is built, as in qzpaths. */
        {
            char found[16] = "guard";
            set_env("QZ_CAPI_FAILED_START", "blue");
            CHECK(qz_info_sysvar(info, "QZ_CAPI_FAILED_START", found, sizeof found) ==
                  (i == 3 ? QZ_SYSVAR_ENVIRONMENT : QZ_SYSVAR_NOWHERE));
            CHECK_TEXT(found, i == 3 ? "blue" : "");
            set_env("QZ_CAPI_FAILED_START", NULL);
        }
        /* The whole cause: the environment, the registry that was consulted, the walk. */
        if (i == 3)
            CHECK(strstr(qz_info_failure_reason(info), "CORVAN_HOME is unset in the environment; the registry") != NULL &&
                  strstr(qz_info_failure_reason(info), "qzcommon") != NULL);
        if (i == 1) {
            char* feature = qz_info_feature_name(info);
            CHECK_TEXT(feature, "ABC");
            qz_free(feature);
        }
        qz_info_destroy(info);
    }
}

static qz_info* initialized_record(const char* executable)
{
    qz_info* info = qz_info_create();
    if (qz_info_initialize(info, "Ryndel", 10.0f, "support@corvan.example", executable, 3, 2019, 2024) != 1) {
        fprintf(stderr, "qz_info_initialize failed for %s\n", executable);
        exit(2);
    }
    return info;
}

static void test_initialize_sandbox(const char* executable)
{
    char home[MAX_PATH_TEXT], bin[MAX_PATH_TEXT], expected[MAX_PATH_TEXT + 64];
    const char* setting = NULL;
    qz_info* info = initialized_record(executable);
    slashed(tree_path("sandbox", home), home);
    CHECK(qz_info_initialized(info) == 1);
    CHECK_TEXT(qz_info_corvan_home(info), home);
    CHECK(qz_info_home_origin(info) == QZ_HOME_FROM_WALK);
    CHECK(qz_info_walk_level_count(info) >= 2);
    CHECK(qz_info_walk_level(info, qz_info_walk_level_count(info)) == NULL);
    CHECK(qz_info_walk_level(info, -1) == NULL);
    CHECK_TEXT(qz_info_executable_path(info), executable);
    CHECK_TEXT(qz_info_executable_dir(info), tree_path("sandbox/bin", bin));
    CHECK_TEXT(qz_info_application_name(info), "Ryndel");
    CHECK_TEXT(qz_info_application_title_no_patch(info), "Ryndel v10.0");
    CHECK_TEXT(qz_info_application_title(info), "Ryndel v10.0-003");
    CHECK_TEXT(qz_info_support_email(info), "mailto:support@corvan.example");
    CHECK_TEXT(qz_info_product_architecture(info), qzt_product_architecture());
    CHECK(qz_info_architecture(info) == NULL);
    CHECK(qz_info_x_display_name(info) == NULL);
    CHECK(qz_info_application_version(info) == 10.0f);
    CHECK(qz_info_copyright_statement(info) != NULL && strstr(qz_info_copyright_statement(info), "2019-2024"));
    CHECK_TEXT(qz_info_system_base_registry_path(info), "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60");
    CHECK_TEXT(qz_info_user_base_registry_path(info), qz_info_system_base_registry_path(info));
    /* Published paths: composed, overridden by nothing, unknown and internal-only keys. */
    snprintf(expected, sizeof expected, "%s/help/", home);
    CHECK_TEXT(qz_info_published_path(info, "qz_help_dir"), expected);
    snprintf(expected, sizeof expected, "%s/javaapps/%s/flgr/fltcl", home, qzt_product_architecture());
    CHECK_TEXT(qz_info_published_path(info, "fl_scriptdir"), expected);
    CHECK(qz_info_published_path(info, "qz_rootdir") == NULL);
    CHECK(qz_info_published_path(info, "QZ_BINDIR") == NULL);
    CHECK(qz_info_published_path(info, "") == NULL);
    CHECK(qz_info_path_origin(info, "qz_help_dir", &setting) == QZ_PATH_DEFAULT);
    CHECK_TEXT(setting, "QZ_MSG_HELP");
    CHECK(qz_info_path_origin(info, "qz_bindir", &setting) == QZ_PATH_NOT_DECIDED);
    CHECK(setting == NULL);
    /* A record is initialized once. */
    CHECK(qz_info_initialize(info, "Other", 11.0f, "x@y", executable, 0, 2024, 2024) == 0);
    CHECK_TEXT(qz_info_application_name(info), "Ryndel");
    qz_info_destroy(info);
}

/* The key list and the dump agree, line by line, with the lookups in table order. */
static void test_keys_and_dump(const char* executable)
{
    static const char* const first[] = {"qz_bindir", "qz_tstdir", "qz_launchdir", "qz_launch", "qz_help_dir",
                                        "stylesheet"};
    static const char* const rule = "=======================\n";
    qz_info* info = initialized_record(executable);
    int32_t count = qz_info_key_count(info), i;
    char* dump = qz_info_dump(info);
    const char* line = dump;
    CHECK(count == 77);
    for (i = 0; i < (int32_t)(sizeof first / sizeof first[0]); ++i)
        CHECK_TEXT(qz_info_key(info, i), first[i]);
    CHECK_TEXT(qz_info_key(info, 76), "dvk_scriptdir");
    CHECK(qz_info_key(info, 77) == NULL);
    CHECK(qz_info_key(info, -1) == NULL);
    CHECK(dump != NULL && strncmp(dump, "77 keys\n", 8) == 0);
    if (dump) {
        line = strchr(dump, '\n') + 1;
        CHECK(strncmp(line, rule, strlen(rule)) == 0);
        line += strlen(rule);
        for (i = 0; i < count; ++i) {
            const char* key = qz_info_key(info, i);
            const char* value = qz_info_published_path(info, key);
            size_t key_length = strlen(key), value_length = strlen(value);
            int ok = strncmp(line, key, key_length) == 0 && strncmp(line + key_length, " : ", 3) == 0 &&
                     strncmp(line + key_length + 3, value, value_length) == 0 &&
                     line[key_length + 3 + value_length] == '\n';
            if (!ok) {
                CHECK(ok);
                fprintf(stderr, "  at key %d (%s)\n", (int)i, key);
                break;
            }
            line += key_length + 3 + value_length + 1;
        }
        CHECK_TEXT(line, rule);
    }
    qz_free(dump);
    /* The start-up's record, as a trace file holds it: one line of JSON. */
    dump = qz_info_report_json(info);
    CHECK(dump != NULL && strncmp(dump, "{\"schema\":1,\"event\":\"initialize\",", 33) == 0);
    CHECK(dump != NULL && strstr(dump, "\"result\":1,") != NULL && strchr(dump, '\n') == dump + strlen(dump) - 1);
    qz_free(dump);
    qz_info_destroy(info);
}

static int guard_intact(const char* buffer, size_t from, size_t to)
{
    size_t i;
    for (i = from; i < to; ++i)
        if (buffer[i] != '#')
            return 0;
    return 1;
}

/* The value "abcdef" needs 7 bytes: one below, on and above the limit, guard bytes after. */
static void test_sysvar_limits(const char* executable)
{
    static const struct {
        uint32_t size;
        int32_t origin;
        const char* value; /* NULL: nothing written */
    } rows[] = {{0, QZ_SYSVAR_NOWHERE, NULL},
                {1, QZ_SYSVAR_NOWHERE, ""},
                {6, QZ_SYSVAR_NOWHERE, ""},
                {7, QZ_SYSVAR_ENVIRONMENT, "abcdef"},
                {8, QZ_SYSVAR_ENVIRONMENT, "abcdef"}};
    qz_info* info = initialized_record(executable);
    size_t i;
    set_env("QZ_CAPI_TEST_VAR", "abcdef");
    for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[24];
        memset(buffer, '#', sizeof buffer);
        CHECK(qz_info_sysvar(info, "QZ_CAPI_TEST_VAR", buffer, rows[i].size) == rows[i].origin);
        if (rows[i].value)
            CHECK_TEXT(buffer, rows[i].value);
        if (!guard_intact(buffer, rows[i].value ? strlen(rows[i].value) + 1 : 0, sizeof buffer)) {
            CHECK(!"a guard byte was overwritten");
            fprintf(stderr, "  at size %u\n", (unsigned)rows[i].size);
        }
    }
    {
        char buffer[16] = "stale";
        CHECK(qz_info_sysvar(info, "QZ_CAPI_TEST_UNSET", buffer, sizeof buffer) == QZ_SYSVAR_NOWHERE);
        CHECK_TEXT(buffer, "");
    }
    set_env("QZ_CAPI_TEST_VAR", NULL);
    qz_info_destroy(info);
}

/* ---- the path manager ---- */

#define MAX_CALLS 16

struct reads {
    int count;
    int stop_at; /* the call (1-based) whose result ends the walk; 0: never */
    char directories[MAX_CALLS][MAX_PATH_TEXT];
};

static int32_t record_read(const char* directory, void* user_data)
{
    struct reads* reads = (struct reads*)user_data;
    if (reads->count < MAX_CALLS)
        strcpy(reads->directories[reads->count], directory);
    ++reads->count;
    return reads->count == reads->stop_at ? 7 : 0;
}

static void check_reads(const struct reads* reads, const char* const* expected, int count, int line)
{
    int i;
    check(reads->count == count, line, "number of reads");
    for (i = 0; i < count && i < reads->count; ++i)
        check_text(reads->directories[i], expected[i], line, "directory read");
}

static void test_path_manager(const char* executable)
{
    char cfg1[MAX_PATH_TEXT], cfg2[MAX_PATH_TEXT], home[MAX_PATH_TEXT], work[MAX_PATH_TEXT];
    char bin[MAX_PATH_TEXT], list[3 * MAX_PATH_TEXT + 3], found[MAX_PATH_TEXT], file[MAX_PATH_TEXT + 16];
    char expected_home[MAX_PATH_TEXT];
    qz_info* info;
    qz_paths* paths;
    qz_paths* kept;
    struct reads reads;
    size_t length;

    tree_path("cfg1", cfg1);
    tree_path("cfg2", cfg2);
    tree_path("home", home);
    tree_path("work", work);
    tree_path("sandbox/bin", bin);
    snprintf(list, sizeof list, "%s;%s;%s", cfg1, cfg2, cfg1);
    set_env("QZ_CONFIG_PATH", list);
    set_env("HOME", home);
    if (!qzt_change_dir(work)) {
        fprintf(stderr, "cannot enter %s\n", work);
        exit(2);
    }
    info = initialized_record(executable);
    paths = qz_paths_create(info, 0);
    kept = qz_paths_create(info, 1);
    CHECK(paths != NULL && kept != NULL);
    /* The path managers keep their own share of the record. */
    slashed(tree_path("sandbox", expected_home), expected_home);
    qz_info_destroy(info);
    CHECK_TEXT(qz_info_corvan_home(qz_paths_info(paths)), expected_home);

    CHECK_TEXT(qz_paths_production_installation_dir(paths), bin);
    CHECK_TEXT(qz_paths_config_path(paths), list);
    CHECK_TEXT(qz_paths_user_home(paths), home);
    CHECK_TEXT(qz_paths_cwd(paths), work);
    CHECK_TEXT(qz_paths_directory_string(paths), "/");
    CHECK(qz_paths_config_path_count(paths) == 3);
    CHECK_TEXT(qz_paths_config_path_item(paths, 0), ""); /* blanked: cfg1 comes again later */
    CHECK_TEXT(qz_paths_config_path_item(paths, 1), cfg2);
    CHECK_TEXT(qz_paths_config_path_item(paths, 2), cfg1);
    CHECK(qz_paths_config_path_item(paths, 3) == NULL);
    CHECK(qz_paths_config_path_item(paths, -1) == NULL);
    CHECK_TEXT(qz_paths_config_path_item(kept, 0), cfg1);

    /* Searches: by step count, in the order current directory, home, list, executable's. */
    {
        static const struct {
            const char* file;
            int32_t count;
            int32_t result;
            int place; /* 0 empty, 1 work, 2 home, 3 cfg2, 4 bin */
        } rows[] = {{"app.cfg", 4, 1, 3},     {"app.cfg", 2, 0, 2},     {"app.cfg", 0, 0, 0},
                    {"here.cfg", 1, 1, 1},    {"home.cfg", 1, 0, 1},    {"home.cfg", 2, 1, 2},
                    {"nowhere.cfg", 4, 0, 4}, {"nowhere.cfg", 5, 0, 0}, {"sub.cfg", 4, 1, 1}};
        const char* places[5];
        size_t i;
        places[0] = "";
        places[1] = work;
        places[2] = home;
        places[3] = cfg2;
        places[4] = bin;
        for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
            int32_t result;
            strcpy(found, "stale");
            result = qz_paths_get_file_path(paths, rows[i].file, found, sizeof found, rows[i].count);
            if (result != rows[i].result || strcmp(found, places[rows[i].place]) != 0) {
                CHECK(!"qz_paths_get_file_path");
                fprintf(stderr, "  %s over %d steps: %d \"%s\"\n", rows[i].file, (int)rows[i].count, (int)result,
                        found);
            }
        }
    }
    /* The caller's buffer: one below, on and above the room that cfg2 needs. */
    length = strlen(cfg2);
    {
        static const int deltas[] = {0, 1, 2};
        size_t i;
        for (i = 0; i < 3; ++i) {
            char buffer[MAX_PATH_TEXT + 8];
            uint32_t size = (uint32_t)(length + (size_t)deltas[i]);
            int32_t expected = deltas[i] == 0 ? QZ_ERROR_SIZE : 1;
            memset(buffer, '#', sizeof buffer);
            CHECK(qz_paths_get_file_path(paths, "app.cfg", buffer, size, 4) == expected);
            CHECK_TEXT(buffer, expected == 1 ? cfg2 : "");
            CHECK(guard_intact(buffer, expected == 1 ? length + 1 : 1, sizeof buffer));
        }
        CHECK(qz_paths_get_file_path(paths, "app.cfg", found, 0, 4) == QZ_ERROR_ARGUMENT);
    }
    CHECK(qz_paths_find_file_path(paths, cfg2, "app.cfg") == 1);
    CHECK(qz_paths_find_file_path(paths, cfg1, "app.cfg") == 0);
    CHECK(qz_paths_find_file_path(paths, "", "app.cfg") == 0);
    snprintf(file, sizeof file, "%s%capp.cfg", cfg2, qzt_separator());
    CHECK(qz_paths_find_file_with_directory(paths, file) == 1);
    CHECK(qz_paths_find_file_with_directory(paths, cfg2) == 1);
    snprintf(file, sizeof file, "%s%capp.cfg", cfg1, qzt_separator());
    CHECK(qz_paths_find_file_with_directory(paths, file) == 0);

    /* Reading every place, by order; a blanked place is read as the empty text. */
    {
        const char* in_order[6];
        const char* reverse[6];
        const char* lists_twice[6];
        static const int32_t backwards[4] = {4, 3, 2, 1};
        static const int32_t twice[4] = {2, 2, 0, 9};
        in_order[0] = bin;
        in_order[1] = "";
        in_order[2] = cfg2;
        in_order[3] = cfg1;
        in_order[4] = home;
        in_order[5] = work;
        reverse[0] = work;
        reverse[1] = home;
        reverse[2] = "";
        reverse[3] = cfg2;
        reverse[4] = cfg1;
        reverse[5] = bin;
        lists_twice[0] = lists_twice[3] = "";
        lists_twice[1] = lists_twice[4] = cfg2;
        lists_twice[2] = lists_twice[5] = cfg1;

        memset(&reads, 0, sizeof reads);
        CHECK(qz_paths_read_all(paths, NULL, record_read, &reads) == 0);
        check_reads(&reads, in_order, 6, __LINE__);
        memset(&reads, 0, sizeof reads);
        CHECK(qz_paths_read_all(paths, backwards, record_read, &reads) == 0);
        check_reads(&reads, reverse, 6, __LINE__);
        memset(&reads, 0, sizeof reads);
        CHECK(qz_paths_read_all(paths, twice, record_read, &reads) == 0);
        check_reads(&reads, lists_twice, 6, __LINE__);
        memset(&reads, 0, sizeof reads);
        reads.stop_at = 2;
        CHECK(qz_paths_read_all(paths, NULL, record_read, &reads) == 7);
        check_reads(&reads, in_order, 2, __LINE__);
        CHECK(qz_paths_read_all(paths, NULL, NULL, &reads) == QZ_ERROR_ARGUMENT);
    }
    qz_paths_destroy(kept);
    qz_paths_destroy(paths);
    qzt_change_dir(root);
    set_env("QZ_CONFIG_PATH", NULL);
}

int main(void)
{
    char executable[MAX_PATH_TEXT];
    if (!qzt_make_temp_root(root, sizeof root)) {
        fprintf(stderr, "cannot create a temporary directory\n");
        return 2;
    }
    make_dir("sandbox");
    make_dir("sandbox/qzcommon");
    make_dir("sandbox/bin");
    make_file("sandbox/bin/app");
    make_dir("plain");
    make_dir("plain/bin");
    make_file("plain/bin/app");
    make_dir("cfg1");
    make_dir("cfg2");
    make_file("cfg2/app.cfg");
    make_dir("home");
    make_file("home/home.cfg");
    make_dir("work");
    make_file("work/here.cfg");
    make_dir("work/sub.cfg");
    tree_path("sandbox/bin/app", executable);
    isolate();

    test_version();
    test_null_arguments();
    test_fresh_record();
    test_initialize_failures();
    test_initialize_sandbox(executable);
    test_keys_and_dump(executable);
    test_sysvar_limits(executable);
    test_path_manager(executable);

    remove_tree();
    if (failures)
        fprintf(stderr, "%d checks failed\n", failures);
    else
        printf("all checks passed\n");
    return failures ? 1 : 0;
}
