/* qzappinfo.c - the Tcl package qzappinfo: commands in ::qzappinfo over the C interface
 * of QZAppInfo (qzappinfo.h) only, built with Tcl's stubs so that any Tcl 8.6 loads it. */
#include <tcl.h>

#include "qzappinfo.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The library's own limit for a system variable's value, terminator included: a longer
 * value counts as absent, as it does for the suite's applications. */
#define SYSVAR_SIZE 1024

/* One per interpreter, owned by its association data: the record of the last successful
 * qzappinfo::init, NULL before. */
typedef struct State {
    qz_info* info;
} State;

static void DeleteState(ClientData clientData, Tcl_Interp* interp)
{
    State* state = (State*)clientData;
    (void)interp;
    qz_info_destroy(state->info);
    ckfree((char*)state);
}

/* ---- texts: Tcl speaks UTF-8, the library the system's encoding ---------------------- */

static Tcl_Obj* NewText(const char* text)
{
    Tcl_DString utf;
    Tcl_Obj* result;
    if (text == NULL)
        return Tcl_NewObj();
    Tcl_ExternalToUtfDString(NULL, text, -1, &utf);
    result = Tcl_NewStringObj(Tcl_DStringValue(&utf), Tcl_DStringLength(&utf));
    Tcl_DStringFree(&utf);
    return result;
}

/* The system-encoded bytes of obj in external, which the caller frees. */
static const char* ExternalText(Tcl_Obj* obj, Tcl_DString* external)
{
    int length;
    const char* utf = Tcl_GetStringFromObj(obj, &length);
    return Tcl_UtfToExternalDString(NULL, utf, length, external);
}

/* ---- errors: a message and an -errorcode list that starts with QZAPPINFO ------------- */

static int Fail(Tcl_Interp* interp, Tcl_Obj* message, const char* reason, const char* detail,
                const char* value)
{
    Tcl_SetObjResult(interp, message);
    Tcl_SetErrorCode(interp, "QZAPPINFO", reason, detail, value, (char*)NULL);
    return TCL_ERROR;
}

static int FailMemory(Tcl_Interp* interp, const char* command)
{
    return Fail(interp, Tcl_ObjPrintf("%s: memory ran out", command), "MEMORY", NULL, NULL);
}

/* The record, or NULL with the NOTINIT error set. */
static qz_info* Record(Tcl_Interp* interp, State* state, Tcl_Obj* command)
{
    if (state->info == NULL)
        Fail(interp,
             Tcl_ObjPrintf("%s: qzappinfo is not initialized: call qzappinfo::init first",
                           Tcl_GetString(command)),
             "NOTINIT", NULL, NULL);
    return state->info;
}

/* ---- qzappinfo::init ------------------------------------------------------------------- */

static const char* const initUsage =
    "?-name NAME? ?-version VERSION? ?-patch PATCH? ?-exe PATH? ?-email ADDRESS? ?-years {FIRST LAST}?";

/* Why Initialize failed, from what the record had found when it stopped. */
static Tcl_Obj* InitFailure(const qz_info* info, const char* executable)
{
    switch (qz_info_failure(info)) {
    case QZ_FAILURE_EXECUTABLE_NOT_FOUND:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: the executable \"%s\" was not found "
                             "(as an absolute name, in the current directory or on PATH); pass -exe with "
                             "the program's path",
                             executable);
    case QZ_FAILURE_NO_HOME:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: %s; set CORVAN_HOME or run from a sandbox tree",
                             qz_info_failure_reason(info));
    case QZ_FAILURE_EMPTY_HOME:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: CORVAN_HOME is a single separator; "
                             "set it to the installation's directory");
    case QZ_FAILURE_NO_CURRENT_DIRECTORY:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: the current directory cannot be read");
    case QZ_FAILURE_EMPTY_APPLICATION_NAME:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: the application name is empty; pass -name "
                             "with the application's name");
    case QZ_FAILURE_EMPTY_EXECUTABLE_NAME:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: the executable name is empty; pass -exe with "
                             "the program's path");
    case QZ_FAILURE_INCOMPLETE_TABLE:
        return Tcl_ObjPrintf("qzappinfo::init: cannot initialize: the internal path table of the home \"%s\" "
                             "is incomplete",
                             qz_info_corvan_home(info));
    default:
        break;
    }
    return Tcl_ObjPrintf("qzappinfo::init: cannot initialize from the executable \"%s\"", executable);
}

/* The -errorcode word of a failed init: what was missing. */
static const char* InitFailureWord(const qz_info* info)
{
    switch (qz_info_failure(info)) {
    case QZ_FAILURE_EMPTY_APPLICATION_NAME: return "NAME";
    case QZ_FAILURE_NO_CURRENT_DIRECTORY: return "CURRENTDIR";
    case QZ_FAILURE_EMPTY_EXECUTABLE_NAME:
    case QZ_FAILURE_EXECUTABLE_NOT_FOUND: return "EXECUTABLE";
    case QZ_FAILURE_NO_HOME:
    case QZ_FAILURE_EMPTY_HOME: return "HOME";
    case QZ_FAILURE_INCOMPLETE_TABLE: return "TABLE";
    case QZ_FAILURE_MEMORY: return "MEMORY";
    default: return "FAILED";
    }
}

static int InitCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    static const char* const options[] = {"-name", "-version", "-patch", "-exe", "-email", "-years", NULL};
    enum { OPT_NAME, OPT_VERSION, OPT_PATCH, OPT_EXE, OPT_EMAIL, OPT_YEARS };
    State* state = (State*)clientData;
    Tcl_Obj* name = NULL;
    Tcl_Obj* exe = NULL;
    Tcl_Obj* email = NULL;
    double version = 10.0;
    int patch = 0, first = 2009, last = 2009;
    Tcl_DString nameText, exeText, emailText;
    qz_info* info;
    int i, ok;

    if (objc % 2 == 0) {
        Tcl_WrongNumArgs(interp, 1, objv, initUsage);
        return TCL_ERROR;
    }
    for (i = 1; i < objc; i += 2) {
        int option;
        if (Tcl_GetIndexFromObj(interp, objv[i], options, "option", 0, &option) != TCL_OK)
            return TCL_ERROR;
        switch (option) {
        case OPT_NAME: name = objv[i + 1]; break;
        case OPT_EXE: exe = objv[i + 1]; break;
        case OPT_EMAIL: email = objv[i + 1]; break;
        case OPT_VERSION:
            if (Tcl_GetDoubleFromObj(interp, objv[i + 1], &version) != TCL_OK)
                return TCL_ERROR;
            break;
        case OPT_PATCH:
            if (Tcl_GetIntFromObj(interp, objv[i + 1], &patch) != TCL_OK)
                return TCL_ERROR;
            break;
        case OPT_YEARS: {
            Tcl_Obj** years;
            int count;
            if (Tcl_ListObjGetElements(interp, objv[i + 1], &count, &years) != TCL_OK)
                return TCL_ERROR;
            if (count != 2)
                return Fail(interp, Tcl_ObjPrintf("qzappinfo::init: -years takes two years, FIRST LAST, not \"%s\"",
                                                  Tcl_GetString(objv[i + 1])),
                            "USAGE", NULL, NULL);
            if (Tcl_GetIntFromObj(interp, years[0], &first) != TCL_OK
                || Tcl_GetIntFromObj(interp, years[1], &last) != TCL_OK)
                return TCL_ERROR;
            break;
        }
        }
    }
    if (exe == NULL) {
        const char* self = Tcl_GetNameOfExecutable();
        if (self == NULL || *self == '\0')
            return Fail(interp, Tcl_NewStringObj("qzappinfo::init: the interpreter does not know its "
                                                 "executable; pass -exe with the program's path", -1),
                        "USAGE", NULL, NULL);
        exe = Tcl_NewStringObj(self, -1);
    }
    Tcl_IncrRefCount(exe);

    info = qz_info_create();
    if (info == NULL) {
        Tcl_DecrRefCount(exe);
        return FailMemory(interp, "qzappinfo::init");
    }
    Tcl_DStringInit(&nameText);
    Tcl_DStringInit(&emailText);
    ok = qz_info_initialize(info, name ? ExternalText(name, &nameText) : "Ryndel", (float)version,
                            email ? ExternalText(email, &emailText) : "support@corvan-engineering.example",
                            ExternalText(exe, &exeText), patch, first, last);
    Tcl_DStringFree(&nameText);
    Tcl_DStringFree(&emailText);
    if (!ok) {
        /* The record of an earlier init stays: a failed init changes nothing. */
        Fail(interp, InitFailure(info, Tcl_DStringValue(&exeText)), "INIT", InitFailureWord(info), NULL);
        Tcl_DStringFree(&exeText);
        Tcl_DecrRefCount(exe);
        qz_info_destroy(info);
        return TCL_ERROR;
    }
    Tcl_DStringFree(&exeText);
    Tcl_DecrRefCount(exe);
    qz_info_destroy(state->info);
    state->info = info;
    Tcl_SetObjResult(interp, NewText(qz_info_application_title(info)));
    return TCL_OK;
}

static int InitializedCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    State* state = (State*)clientData;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, Tcl_NewBooleanObj(state->info != NULL));
    return TCL_OK;
}

static int LibraryVersionCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    (void)clientData;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, NewText(qz_version()));
    return TCL_OK;
}

/* ---- the published table ------------------------------------------------------------- */

/* The value of key, or NULL with the KEY UNKNOWN error set. */
static const char* PublishedPath(Tcl_Interp* interp, const qz_info* info, Tcl_Obj* key, Tcl_Obj* command)
{
    Tcl_DString keyText;
    const char* value = qz_info_published_path(info, ExternalText(key, &keyText));
    Tcl_DStringFree(&keyText);
    if (value == NULL)
        Fail(interp,
             Tcl_ObjPrintf("%s: unknown key \"%s\": qzappinfo::keys lists the %d published keys",
                           Tcl_GetString(command), Tcl_GetString(key), (int)qz_info_key_count(info)),
             "KEY", "UNKNOWN", Tcl_GetString(key));
    return value;
}

static int PathCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    qz_info* info;
    const char* value;
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "KEY");
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if ((value = PublishedPath(interp, info, objv[1], objv[0])) == NULL)
        return TCL_ERROR;
    Tcl_SetObjResult(interp, NewText(value));
    return TCL_OK;
}

/* qzappinfo::keys (a list) and qzappinfo::paths (a dict), both in table order. For a key
 * that the table held twice, the dict keeps the first value, as qzappinfo::path answers. */
static int TableCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], int withValues)
{
    qz_info* info;
    Tcl_Obj* result;
    int32_t index, count;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    result = withValues ? Tcl_NewDictObj() : Tcl_NewListObj(0, NULL);
    count = qz_info_key_count(info);
    for (index = 0; index < count; ++index) {
        const char* key = qz_info_key(info, index);
        Tcl_Obj* keyObj = NewText(key);
        if (!withValues) {
            Tcl_ListObjAppendElement(NULL, result, keyObj);
        } else {
            Tcl_Obj* existing = NULL;
            Tcl_DictObjGet(NULL, result, keyObj, &existing);
            if (existing == NULL)
                Tcl_DictObjPut(NULL, result, keyObj, NewText(qz_info_published_path(info, key)));
            else
                Tcl_DecrRefCount(keyObj); /* a new object, so this frees it */
        }
    }
    Tcl_SetObjResult(interp, result);
    return TCL_OK;
}

static int KeysCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    return TableCmd(clientData, interp, objc, objv, 0);
}

static int PathsCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    return TableCmd(clientData, interp, objc, objv, 1);
}

static const char* PathOriginName(int32_t origin)
{
    switch (origin) {
    case QZ_PATH_DEFAULT: return "default";
    case QZ_PATH_FROM_ENVIRONMENT: return "environment";
    case QZ_PATH_FROM_REGISTRY: return "registry";
    case QZ_PATH_FROM_APPLICATION_NAME: return "application_name";
    default: return "none";
    }
}

/* qzappinfo::path_origin KEY: {ORIGIN SETTING}, what decided a published entry. */
static int PathOriginCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    qz_info* info;
    const char* setting = NULL;
    Tcl_DString keyText;
    int32_t origin;
    Tcl_Obj* pair[2];
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "KEY");
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if (PublishedPath(interp, info, objv[1], objv[0]) == NULL)
        return TCL_ERROR;
    origin = qz_info_path_origin(info, ExternalText(objv[1], &keyText), &setting);
    Tcl_DStringFree(&keyText);
    pair[0] = Tcl_NewStringObj(PathOriginName(origin), -1);
    pair[1] = NewText(setting);
    Tcl_SetObjResult(interp, Tcl_NewListObj(2, pair));
    return TCL_OK;
}

/* ---- system variables ---------------------------------------------------------------- */

/* Looks name up into value; returns the QZ_SYSVAR_ code, or -1 with an error set. */
static int32_t LookUp(Tcl_Interp* interp, const qz_info* info, Tcl_Obj* name, char value[SYSVAR_SIZE],
                      Tcl_Obj* command)
{
    Tcl_DString nameText;
    int32_t found = qz_info_sysvar(info, ExternalText(name, &nameText), value, SYSVAR_SIZE);
    Tcl_DStringFree(&nameText);
    if (found < 0) {
        FailMemory(interp, Tcl_GetString(command));
        return -1;
    }
    return found;
}

/* qzappinfo::sysvar NAME ?DEFAULT?: the value, else DEFAULT, else an error. */
static int SysVarCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    char value[SYSVAR_SIZE];
    qz_info* info;
    int32_t found;
    if (objc != 2 && objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "NAME ?DEFAULT?");
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if ((found = LookUp(interp, info, objv[1], value, objv[0])) < 0)
        return TCL_ERROR;
    if (found != QZ_SYSVAR_NOWHERE) {
        Tcl_SetObjResult(interp, NewText(value));
        return TCL_OK;
    }
    if (objc == 3) {
        Tcl_SetObjResult(interp, objv[2]);
        return TCL_OK;
    }
    return Fail(interp,
                Tcl_ObjPrintf("%s: the system variable \"%s\" is set neither in the environment nor in the "
                              "registry (or its value is longer than %d bytes)",
                              Tcl_GetString(objv[0]), Tcl_GetString(objv[1]), SYSVAR_SIZE - 1),
                "SYSVAR", "UNSET", Tcl_GetString(objv[1]));
}

/* qzappinfo::sysvar_origin NAME: environment, registry or none. */
static int SysVarOriginCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    char value[SYSVAR_SIZE];
    qz_info* info;
    int32_t found;
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "NAME");
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if ((found = LookUp(interp, info, objv[1], value, objv[0])) < 0)
        return TCL_ERROR;
    Tcl_SetObjResult(interp, Tcl_NewStringObj(found == QZ_SYSVAR_ENVIRONMENT ? "environment"
                                              : found == QZ_SYSVAR_REGISTRY  ? "registry"
                                                                              : "none",
                                              -1));
    return TCL_OK;
}

/* ---- one command per text accessor of the record ------------------------------------ */

typedef const char* (*Accessor)(const qz_info*);

static const struct {
    const char* name;
    Accessor accessor;
} accessors[] = {
    {"corvan_home", qz_info_corvan_home},
    {"application_title_no_patch", qz_info_application_title_no_patch},
    {"application_title", qz_info_application_title},
    {"architecture", qz_info_architecture},
    {"copyright_statement", qz_info_copyright_statement},
    {"current_working_dir", qz_info_current_working_dir},
    {"x_display_name", qz_info_x_display_name},
    {"display_version_info", qz_info_display_version_info},
    {"executable_dir", qz_info_executable_dir},
    {"executable_path", qz_info_executable_path},
    {"system_base_registry_path", qz_info_system_base_registry_path},
    {"user_base_registry_path", qz_info_user_base_registry_path},
    {"application_name", qz_info_application_name},
    {"product_architecture", qz_info_product_architecture},
    {"support_email", qz_info_support_email},
};

/* A field the machine gave no value (architecture, x_display_name) reads as "". */
static int AccessorCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    State* state = (State*)Tcl_GetAssocData(interp, "qzappinfo", NULL);
    Accessor accessor = (Accessor)(*(Accessor*)clientData);
    qz_info* info;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, state, objv[0])) == NULL)
        return TCL_ERROR;
    Tcl_SetObjResult(interp, NewText(accessor(info)));
    return TCL_OK;
}

/* qzappinfo::application_version: the version given to init, as a number. */
static int ApplicationVersionCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    qz_info* info;
    char text[32];
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    /* The record holds a float: 9.1 reads back as 9.1, not 9.100000381469727. */
    snprintf(text, sizeof text, "%.7g", (double)qz_info_application_version(info));
    Tcl_SetObjResult(interp, Tcl_NewDoubleObj(strtod(text, NULL)));
    return TCL_OK;
}

/* qzappinfo::feature_name and qzappinfo::dump: texts built for the caller. */
static int BuiltTextCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[],
                        char* (*build)(const qz_info*))
{
    qz_info* info;
    char* text;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if ((text = build(info)) == NULL)
        return FailMemory(interp, Tcl_GetString(objv[0]));
    Tcl_SetObjResult(interp, NewText(text));
    qz_free(text);
    return TCL_OK;
}

static int FeatureNameCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    return BuiltTextCmd(clientData, interp, objc, objv, qz_info_feature_name);
}

static int DumpCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    return BuiltTextCmd(clientData, interp, objc, objv, qz_info_dump);
}

/* qzappinfo::home_origin: environment, registry, walk or none. */
static int HomeOriginCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    qz_info* info;
    int32_t origin;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    origin = qz_info_home_origin(info);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(origin == QZ_HOME_FROM_ENVIRONMENT ? "environment"
                                              : origin == QZ_HOME_FROM_REGISTRY  ? "registry"
                                              : origin == QZ_HOME_FROM_WALK      ? "walk"
                                                                                 : "none",
                                              -1));
    return TCL_OK;
}

/* qzappinfo::walk_levels: the directories the upward walk looked in, in order. */
static int WalkLevelsCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    qz_info* info;
    Tcl_Obj* result;
    int32_t index, count;
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, NULL);
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    result = Tcl_NewListObj(0, NULL);
    count = qz_info_walk_level_count(info);
    for (index = 0; index < count; ++index)
        Tcl_ListObjAppendElement(NULL, result, NewText(qz_info_walk_level(info, index)));
    Tcl_SetObjResult(interp, result);
    return TCL_OK;
}

/* ---- configuration files ------------------------------------------------------------- */

/* A path manager over the record, or NULL with an error set; qz_paths_destroy it. */
static qz_paths* PathManager(Tcl_Interp* interp, const qz_info* info, int keepDuplicates, Tcl_Obj* command)
{
    qz_paths* paths = qz_paths_create(info, keepDuplicates);
    if (paths == NULL)
        FailMemory(interp, Tcl_GetString(command));
    return paths;
}

/* qzappinfo::find_config FILE ?STEPS?: the directory that holds FILE, searched over the
 * first STEPS places (0 to 4: current directory, home, configuration directories,
 * production installation directory); "" when none does. */
static int FindConfigCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    char directory[QZ_DIRECTORY_SIZE];
    qz_info* info;
    qz_paths* paths;
    Tcl_DString fileText;
    int steps = 4;
    int32_t found;
    if (objc != 2 && objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "FILE ?STEPS?");
        return TCL_ERROR;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if (objc == 3) {
        if (Tcl_GetIntFromObj(interp, objv[2], &steps) != TCL_OK)
            return TCL_ERROR;
        if (steps < 0 || steps > 4)
            return Fail(interp,
                        Tcl_ObjPrintf("%s: STEPS is a count of search places from 0 to 4, not %d",
                                      Tcl_GetString(objv[0]), steps),
                        "STEPS", "RANGE", Tcl_GetString(objv[2]));
    }
    if ((paths = PathManager(interp, info, 0, objv[0])) == NULL)
        return TCL_ERROR;
    found = qz_paths_get_file_path(paths, ExternalText(objv[1], &fileText), directory, sizeof directory, steps);
    Tcl_DStringFree(&fileText);
    qz_paths_destroy(paths);
    if (found == QZ_ERROR_MEMORY)
        return FailMemory(interp, Tcl_GetString(objv[0]));
    Tcl_SetObjResult(interp, found == 1 ? NewText(directory) : Tcl_NewObj());
    return TCL_OK;
}

/* qzappinfo::config_places ?-keepduplicates?: {PLACE DIRECTORY} pairs in read order
 * (production, config for each QZ_CONFIG_PATH entry, home, current); a place that is
 * unset or duplicates a later one has the directory "". */
static int ConfigPlacesCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    static const char* const options[] = {"-keepduplicates", NULL};
    qz_info* info;
    qz_paths* paths;
    Tcl_Obj* result;
    int keep = 0, option;
    int32_t index, count;
    if (objc > 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "?-keepduplicates?");
        return TCL_ERROR;
    }
    if (objc == 2) {
        if (Tcl_GetIndexFromObj(interp, objv[1], options, "option", 0, &option) != TCL_OK)
            return TCL_ERROR;
        keep = 1;
    }
    if ((info = Record(interp, (State*)clientData, objv[0])) == NULL)
        return TCL_ERROR;
    if ((paths = PathManager(interp, info, keep, objv[0])) == NULL)
        return TCL_ERROR;
    result = Tcl_NewListObj(0, NULL);
#define PLACE(place, directory)                                                                    \
    do {                                                                                           \
        Tcl_Obj* pair[2] = {Tcl_NewStringObj(place, -1), NewText(directory)};                      \
        Tcl_ListObjAppendElement(NULL, result, Tcl_NewListObj(2, pair));                           \
    } while (0)
    PLACE("production", qz_paths_production_installation_dir(paths));
    count = qz_paths_config_path_count(paths);
    for (index = 0; index < count; ++index)
        PLACE("config", qz_paths_config_path_item(paths, index));
    PLACE("home", qz_paths_user_home(paths));
    PLACE("current", qz_paths_cwd(paths));
#undef PLACE
    qz_paths_destroy(paths);
    Tcl_SetObjResult(interp, result);
    return TCL_OK;
}

/* ---- loading ------------------------------------------------------------------------- */

static const struct {
    const char* name;
    Tcl_ObjCmdProc* proc;
} commands[] = {
    {"init", InitCmd},
    {"initialized", InitializedCmd},
    {"library_version", LibraryVersionCmd},
    {"path", PathCmd},
    {"paths", PathsCmd},
    {"keys", KeysCmd},
    {"path_origin", PathOriginCmd},
    {"sysvar", SysVarCmd},
    {"sysvar_origin", SysVarOriginCmd},
    {"application_version", ApplicationVersionCmd},
    {"feature_name", FeatureNameCmd},
    {"dump", DumpCmd},
    {"home_origin", HomeOriginCmd},
    {"walk_levels", WalkLevelsCmd},
    {"find_config", FindConfigCmd},
    {"config_places", ConfigPlacesCmd},
};

DLLEXPORT int Qzappinfo_Init(Tcl_Interp* interp)
{
    State* state;
    Tcl_Namespace* ns;
    size_t i;
    char name[64];

    if (Tcl_InitStubs(interp, "8.6", 0) == NULL)
        return TCL_ERROR;
    if (Tcl_GetAssocData(interp, "qzappinfo", NULL) != NULL) /* loaded twice */
        return Tcl_PkgProvide(interp, "qzappinfo", QZ_TCL_PACKAGE_VERSION);
    ns = Tcl_CreateNamespace(interp, "::qzappinfo", NULL, NULL);
    if (ns == NULL)
        return TCL_ERROR;
    state = (State*)ckalloc(sizeof *state);
    state->info = NULL;
    Tcl_SetAssocData(interp, "qzappinfo", DeleteState, state);

    for (i = 0; i < sizeof commands / sizeof commands[0]; ++i) {
        snprintf(name, sizeof name, "::qzappinfo::%s", commands[i].name);
        Tcl_CreateObjCommand(interp, name, commands[i].proc, state, NULL);
    }
    for (i = 0; i < sizeof accessors / sizeof accessors[0]; ++i) {
        snprintf(name, sizeof name, "::qzappinfo::%s", accessors[i].name);
        Tcl_CreateObjCommand(interp, name, AccessorCmd, (ClientData)&accessors[i].accessor, NULL);
    }
    if (Tcl_Export(interp, ns, "*", 0) != TCL_OK)
        return TCL_ERROR;
    /* qzappinfo path KEY as well as qzappinfo::path KEY. */
    if (Tcl_CreateEnsemble(interp, "::qzappinfo", ns, 0) == NULL)
        return TCL_ERROR;
    return Tcl_PkgProvide(interp, "qzappinfo", QZ_TCL_PACKAGE_VERSION);
}
