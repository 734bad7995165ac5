/* commands.c - the commands of the Tcl package that read an initialized record: the published
 * table, system variables and the record's texts; over the C interface only. */
#include "Package.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

/* qzappinfo::report: the record of the start-up as one line of JSON, as a trace file holds it. */
static int ReportCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    return BuiltTextCmd(clientData, interp, objc, objv, qz_info_report_json);
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

/* ---- registration ------------------------------------------------------------------- */

static const struct {
    const char* name;
    Tcl_ObjCmdProc* proc;
} recordCommands[] = {
    {"path", PathCmd},
    {"paths", PathsCmd},
    {"keys", KeysCmd},
    {"path_origin", PathOriginCmd},
    {"sysvar", SysVarCmd},
    {"sysvar_origin", SysVarOriginCmd},
    {"application_version", ApplicationVersionCmd},
    {"feature_name", FeatureNameCmd},
    {"dump", DumpCmd},
    {"report", ReportCmd},
    {"home_origin", HomeOriginCmd},
    {"walk_levels", WalkLevelsCmd},
    {"find_config", FindConfigCmd},
    {"config_places", ConfigPlacesCmd},
};

void CreateRecordCommands(Tcl_Interp* interp, State* state)
{
    size_t i;
    char name[64];
    for (i = 0; i < sizeof recordCommands / sizeof recordCommands[0]; ++i) {
        snprintf(name, sizeof name, "::qzappinfo::%s", recordCommands[i].name);
        Tcl_CreateObjCommand(interp, name, recordCommands[i].proc, state, NULL);
    }
    for (i = 0; i < sizeof accessors / sizeof accessors[0]; ++i) {
        snprintf(name, sizeof name, "::qzappinfo::%s", accessors[i].name);
        Tcl_CreateObjCommand(interp, name, AccessorCmd, (ClientData)&accessors[i].accessor, NULL);
    }
}
