# WindowsPackage.cmake - what the Windows build adds for programs of other toolchains: the C interface's module definition file and Microsoft-format import library, and stripped binaries in the zip.
# Included on Windows before CPack. The .def lists every function that capi/qzappinfo.h
# declares with QZ_API (one declaration per line, name on the QZ_API line); it is
# remade whenever the header changes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/capi/qzappinfo.h)
file(STRINGS ${PROJECT_SOURCE_DIR}/capi/qzappinfo.h qz_api_lines REGEX "^QZ_API ")
set(QZ_DEF_EXPORTS "")
foreach(line IN LISTS qz_api_lines)
  if(line MATCHES "[ *](qz_[a-z0-9_]+)\\(")
    string(APPEND QZ_DEF_EXPORTS "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
set(QZ_DEF_FILE ${PROJECT_BINARY_DIR}/lib/QZAppInfo.def)
file(CONFIGURE OUTPUT ${QZ_DEF_FILE} CONTENT
"; QZAppInfo.def - the exports of the C interface (qzappinfo.h), made by cmake/WindowsPackage.cmake.
LIBRARY QZAppInfo.dll
EXPORTS
${QZ_DEF_EXPORTS}")

# QZAppInfo.lib, the import library that Microsoft's linker, lld-link and clang-cl read;
# mingw keeps using libQZAppInfo.dll.a, which also covers the C++ classes.
find_program(QZ_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
if(QZ_LLVM_DLLTOOL)
  set(QZ_IMPORT_LIB ${PROJECT_BINARY_DIR}/lib/QZAppInfo.lib)
  add_custom_command(OUTPUT ${QZ_IMPORT_LIB}
    COMMAND ${QZ_LLVM_DLLTOOL} -m i386:x86-64 -d ${QZ_DEF_FILE} -l ${QZ_IMPORT_LIB}
    DEPENDS ${QZ_DEF_FILE}
    COMMENT "Import library QZAppInfo.lib for Microsoft-format linkers")
  add_custom_target(QZAppInfoImportLib ALL DEPENDS ${QZ_IMPORT_LIB})
  install(FILES ${QZ_DEF_FILE} ${QZ_IMPORT_LIB} DESTINATION ${CMAKE_INSTALL_LIBDIR})
else()
  message(WARNING "llvm-dlltool not found: the package will lack QZAppInfo.lib")
  install(FILES ${QZ_DEF_FILE} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

# The zip's DLL and programs carry no debugging information (CMAKE_STRIP is the
# toolchain's x86_64-w64-mingw32-strip).
set(CPACK_STRIP_FILES TRUE)
