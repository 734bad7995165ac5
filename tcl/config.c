/* config.c - the commands of the Tcl package over the configuration path manager: where a
 * file is found, and the places read in order; over the C interface only. */
#include "Package.h"

#include <string.h>

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
int FindConfigCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
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
int ConfigPlacesCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
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
