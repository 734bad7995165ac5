# DebianPackage.cmake - CPack's DEB settings: one package per install component, with the
# documents, control files and descriptions that Debian's policy and lintian ask for.
#
# Packages (component -> package, section):
#   runtime -> libqzappinfo10      libs         the shared library under its SONAME
#   dev     -> libqzappinfo-dev    libdevel     headers, the .so link, CMake and .pc files
#   tool    -> qzpaths             utils        the program, manual page, bash completion
#   tcl     -> tcl-qzappinfo       interpreters the Tcl package (Debian names Tcl
#                                               extensions tcl-NAME, as tcl-tls, tcl-thread)
# The tool and the Tcl package are packages of their own because policy keeps programs
# out of a library package: libqzappinfo10 must stay installable beside a later
# libqzappinfo11, which a program or a Tcl package in it would forbid.
#
# Checked by the packaged_consumer test (tests/package/packaged.cmake), which fails on any
# lintian error or warning. The informational tags that remain, and why they stay:
#   no-symbols-control-file         libqzappinfo10: a symbols file of a C++ library lists
#                                   every mangled name and must follow each compiler change;
#                                   the shlibs file (>= this version) serves instead.
#   hardening-no-bindnow            all three binaries: built with lazy binding (no
#                                   -Wl,-z,now), as Debian's default flags without
#                                   hardening=+all build; relro and PIE are on.
#   hardening-no-fortify-functions  all three: CMake's build types add no
#                                   -D_FORTIFY_SOURCE; that is a choice of the build's
#                                   flags (CMAKE_CXX_FLAGS), not of the packaging.
#   binary-has-unneeded-section     all three: CPack's strip keeps .comment (the compiler's
#                                   version string), a few dozen bytes.
# No lintian override is needed.

set(QZ_DEB_RELEASE 1)
set(QZ_DEB_VERSION ${PROJECT_VERSION}-${QZ_DEB_RELEASE})
set(QZ_DEB_RUNTIME libqzappinfo${PROJECT_VERSION_MAJOR})

# The changelog's first entry must be this version, or lintian and dpkg disagree with
# the package: a new version needs a new entry in cmake/debian/changelog.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog qz_changelog_top LIMIT_COUNT 1)
if(NOT qz_changelog_top MATCHES "^qzappinfo \\(${QZ_DEB_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog begins with \"${qz_changelog_top}\"; "
    "add an entry for version ${QZ_DEB_VERSION} at its top")
endif()

set(CPACK_GENERATOR DEB)
# Each package's own description below begins with its summary line. CPack puts the
# project-wide summary in front of it unless that summary is CPack's own default text,
# which then appears nowhere.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tool)
if(TARGET qzappinfo_tcl)
  list(APPEND CPACK_COMPONENTS_ALL tcl)
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QZ_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE qzappinfo)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from what the binaries link (dpkg-shlibdeps), plus each package's own below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps runs in each component's staging directory; the programs' libQZAppInfo
# lies in the runtime component's, and their dependency on it is stated below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ../runtime/usr/${CMAKE_INSTALL_LIBDIR})
# The library's shlibs file: programs built against 10.0.60 need at least it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Control files with the modes dpkg gives them (0644, scripts 0755).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Every ELF file is stripped. No -dbgsym package: CPack 3.25's (CPACK_DEBIAN_DEBUGINFO_PACKAGE)
# lists the staging directory's absolute paths in its md5sums and carries no copyright or
# changelog, which lintian rejects (md5sums-lists-nonexistent-file, no-copyright-file);
# the unstripped files stay in the build tree for debugging.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${QZ_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "start-up paths and settings of the Quazen suite's applications
QZAppInfo tells an application of the Quazen engineering suite what it is
and where it is: its executable and directory, the suite's installation
home (CORVAN_HOME or a developer sandbox tree), version strings, window
titles, a catalogue of 77 well-known paths and the places of its
configuration files.
.
This package holds the shared library.")
# ldconfig runs once after the library is unpacked, for every package that needs it,
# through dpkg's trigger, and the package has no maintainer scripts. CPack would add a
# postinst and a postrm that call ldconfig themselves (lintian: maintscript-calls-ldconfig)
# unless CONTROL_EXTRA names files of those names; an empty one draws
# maintainer-script-empty. Naming files that do not exist stops CPack's scripts, and CPack
# adds no missing file to the package.
set(qz_debian_runtime ${PROJECT_BINARY_DIR}/debian/runtime)
file(WRITE ${qz_debian_runtime}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${qz_debian_runtime}/triggers
  ${qz_debian_runtime}/none/postinst ${qz_debian_runtime}/none/postrm)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libqzappinfo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${QZ_DEB_RUNTIME} (= ${QZ_DEB_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "start-up paths of the Quazen suite - development files
QZAppInfo tells an application of the Quazen engineering suite what it is
and where it is: its executable, the suite's installation home, version
strings, a catalogue of 77 well-known paths and the places of its
configuration files.
.
This package holds what a program built against the library needs: the
C++ and C headers in /usr/include/QZAppInfo, the link to the shared
library, the CMake package (find_package(QZAppInfo)) and the pkg-config
file QZAppInfo.pc.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME qzpaths)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${QZ_DEB_RUNTIME} (>= ${QZ_DEB_VERSION})")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "shows where the Quazen suite's applications find everything
qzpaths runs the start-up of QZAppInfo as an application of the Quazen
engineering suite would, and prints what it found: the installation home
and how it was found, the 77 published paths, system variables, where a
configuration file lies, and a check of every location an installation
needs. Its output is text for administrators or JSON for scripts.")

set(CPACK_DEBIAN_TCL_PACKAGE_NAME tcl-qzappinfo)
set(CPACK_DEBIAN_TCL_PACKAGE_SECTION interpreters)
# Built with Tcl's stubs, so any Tcl 8.6 interpreter loads it; no link to libtcl.
set(CPACK_DEBIAN_TCL_PACKAGE_DEPENDS "${QZ_DEB_RUNTIME} (>= ${QZ_DEB_VERSION}), tcl8.6 | tcl (>= 8.6)")
set(CPACK_DEBIAN_TCL_DESCRIPTION "start-up paths of the Quazen suite for Tcl
The Tcl package qzappinfo gives Tcl scripts what QZAppInfo tells an
application of the Quazen engineering suite: its installation home, the
77 published paths (qzappinfo::path tcl_lib), system variables, version
strings and the places of its configuration files.
.
package require qzappinfo; qzappinfo::init; qzappinfo::paths")

# Every package carries its copyright file and the compressed changelog in its own
# documentation directory, installed only by CPack's per-component install.
find_program(QZ_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND ${QZ_GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/debian/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog VERBATIM)
add_custom_target(qz_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(component ${CPACK_COMPONENTS_ALL})
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
