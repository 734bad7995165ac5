/* qzappinfo.c - the Tcl package qzappinfo, loaded: its state, texts, errors, qzappinfo::init
 * and the ensemble. Over the C interface of QZAppInfo (qzappinfo.h) only, built with Tcl's
 * stubs so that any Tcl 8.6 loads it. */
#include "Package.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void DeleteState(ClientData clientData, Tcl_Interp* interp)
{
    State* state = (State*)clientData;
    (void)interp;
    qz_info_destroy(state->info);
    ckfree((char*)state);
}

/* ---- texts: Tcl speaks UTF-8, the library the system's encoding ---------------------- */

Tcl_Obj* NewText(const char* text)
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
const char* ExternalText(Tcl_Obj* obj, Tcl_DString* external)
{
    int length;
    const char* utf = Tcl_GetStringFromObj(obj, &length);
    return Tcl_UtfToExternalDString(NULL, utf, length, external);
}

/* ---- errors: a message and an -errorcode list that starts with QZAPPINFO ------------- */

int Fail(Tcl_Interp* interp, Tcl_Obj* message, const char* reason, const char* detail,
                const char* value)
{
    Tcl_SetObjResult(interp, message);
    Tcl_SetErrorCode(interp, "QZAPPINFO", reason, detail, value, (char*)NULL);
    return TCL_ERROR;
}

int FailMemory(Tcl_Interp* interp, const char* command)
{
    return Fail(interp, Tcl_ObjPrintf("%s: memory ran out", command), "MEMORY", NULL, NULL);
}

/* The record, or NULL with the NOTINIT error set. */
qz_info* Record(Tcl_Interp* interp, State* state, Tcl_Obj* command)
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

/* ---- loading ------------------------------------------------------------------------- */

static const struct {
    const char* name;
    Tcl_ObjCmdProc* proc;
} commands[] = {
    {"init", InitCmd},
    {"initialized", InitializedCmd},
    {"library_version", LibraryVersionCmd},
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
    CreateRecordCommands(interp, state);
    if (Tcl_Export(interp, ns, "*", 0) != TCL_OK)
        return TCL_ERROR;
    /* qzappinfo path KEY as well as qzappinfo::path KEY. */
    if (Tcl_CreateEnsemble(interp, "::qzappinfo", ns, 0) == NULL)
        return TCL_ERROR;
    return Tcl_PkgProvide(interp, "qzappinfo", QZ_TCL_PACKAGE_VERSION);
}
