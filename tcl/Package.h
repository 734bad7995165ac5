/* Package.h - what the files of the Tcl package share: the interpreter's state, texts in
 * Tcl's encoding and the system's, and errors whose -errorcode starts with QZAPPINFO. */
#ifndef QZ_TCL_PACKAGE_H
#define QZ_TCL_PACKAGE_H

#include <tcl.h>

#include "qzappinfo.h"

/* The library's own limit for a system variable's value, terminator included: a longer
 * value counts as absent, as it does for the suite's applications. */
#define SYSVAR_SIZE 1024

/* One per interpreter, owned by its association data: the record of the last successful
 * qzappinfo::init, NULL before. */
typedef struct State {
    qz_info* info;
} State;

/* A text of the library as a Tcl object; an empty object for NULL. */
Tcl_Obj* NewText(const char* text);
/* The system-encoded bytes of obj in external, which the caller frees. */
const char* ExternalText(Tcl_Obj* obj, Tcl_DString* external);
/* Sets message and the -errorcode {QZAPPINFO reason ?detail? ?value?}; returns TCL_ERROR. */
int Fail(Tcl_Interp* interp, Tcl_Obj* message, const char* reason, const char* detail, const char* value);
int FailMemory(Tcl_Interp* interp, const char* command);
/* The record, or NULL with the NOTINIT error set. */
qz_info* Record(Tcl_Interp* interp, State* state, Tcl_Obj* command);

/* config.c: qzappinfo::find_config and qzappinfo::config_places. */
int FindConfigCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
int ConfigPlacesCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);

/* commands.c: creates the commands that read the record in ::qzappinfo. */
void CreateRecordCommands(Tcl_Interp* interp, State* state);

#endif
