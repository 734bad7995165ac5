# Runs the Windows build's programs under Wine, in a prefix of this build tree's own.
find_program(QZ_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QZ_WINE64 wine64)
find_program(QZ_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QZ_WINESERVER NAMES wineserver64 wineserver)
if(NOT QZ_WINE64 OR NOT QZ_WINESERVER)
  message(WARNING "wine64 not found: the Windows tests cannot run here")
  return()
endif()
set(QZ_WINEPREFIX ${PROJECT_BINARY_DIR}/wine/prefix)
set(QZ_WINEHOME ${PROJECT_BINARY_DIR}/wine/home)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
  @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
