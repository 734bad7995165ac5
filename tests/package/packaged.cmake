# Makes the platform's packages (.deb files or a .zip) with CPack, unpacks them into a
# scratch root, and builds and runs the consumer against what they hold. On Linux also:
# lintian finds no error and no warning in any .deb, the binaries are stripped and run
# from the root, the consumer builds through pkg-config, and the Tcl package answers.
# Variables: BUILD_DIR, SOURCE_DIR, TOOLCHAIN, EMULATOR, HOME_DIR, LIBDIR, TCLDIR,
# INSTRUMENTED (1 for a coverage or sanitizer build).
set(work ${BUILD_DIR}/packaged-test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/root)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out
                  WORKING_DIRECTORY ${work})
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} -E chdir ${BUILD_DIR} cpack -B ${work}/packages)
set(ENV{CORVAN_HOME} ${HOME_DIR})
if(TOOLCHAIN)
  file(GLOB package ${work}/packages/*.zip)
  run(${CMAKE_COMMAND} -E chdir ${work}/root ${CMAKE_COMMAND} -E tar xf ${package})
  file(GLOB prefix ${work}/root/*)
  set(expected bin/QZAppInfo.dll bin/qzpaths.exe include/QZAppInfo/QZApplicationInfo.h
      include/QZAppInfo/QZ_PathManager.h include/QZAppInfo/qzappinfo.h lib/cmake/QZAppInfo/QZAppInfoConfig.cmake lib/pkgconfig/QZAppInfo.pc share/man/man1/qzpaths.1
      lib/QZAppInfo.def lib/QZAppInfo.lib lib/libQZAppInfo.dll.a)
  # The zip's binaries carry no debugging information.
  foreach(binary bin/QZAppInfo.dll bin/qzpaths.exe)
    run(x86_64-w64-mingw32-objdump -h ${prefix}/${binary})
    if(last_output MATCHES "\\.debug_")
      message(FATAL_ERROR "${binary} in the zip is not stripped")
    endif()
  endforeach()
  # A cross build searches its target's root only; point it at the package directly.
  set(toolchain_arg -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DQZAppInfo_DIR=${prefix}/lib/cmake/QZAppInfo)
else()
  file(GLOB packages ${work}/packages/*.deb)
  # Lintian once over every package: any error (E:) or warning (W:) fails. The
  # informational tags that remain are named and justified in cmake/DebianPackage.cmake.
  # Not for coverage or sanitizer builds (INSTRUMENTED), whose packages are never shipped.
  find_program(lintian lintian)
  if(NOT lintian)
    message(FATAL_ERROR "lintian is not installed (apt-get install lintian; scripts/check does)")
  endif()
  if(NOT INSTRUMENTED)
    execute_process(COMMAND ${lintian} --display-info --tag-display-limit 0 ${packages}
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    message(STATUS "lintian:\n${out}")
    if(out MATCHES "(^|\n)[EW]: ")
      message(FATAL_ERROR "lintian reports errors or warnings:\n${out}")
    endif()
  endif()
  foreach(package ${packages})
    run(dpkg-deb -x ${package} ${work}/root)
  endforeach()
  set(prefix ${work}/root/usr)
  set(expected bin/qzpaths ${LIBDIR}/libQZAppInfo.so ${LIBDIR}/libQZAppInfo.so.10
      include/QZAppInfo/QZApplicationInfo.h include/QZAppInfo/QZ_PathManager.h include/QZAppInfo/qzappinfo.h
      ${LIBDIR}/cmake/QZAppInfo/QZAppInfoConfig.cmake ${LIBDIR}/pkgconfig/QZAppInfo.pc
      share/man/man1/qzpaths.1.gz)
  foreach(name libqzappinfo10 libqzappinfo-dev qzpaths)
    list(APPEND expected share/doc/${name}/copyright share/doc/${name}/changelog.Debian.gz)
  endforeach()
  if(TCLDIR)
    list(APPEND expected ${TCLDIR}/pkgIndex.tcl ${TCLDIR}/libqzappinfo.so
         share/doc/tcl-qzappinfo/copyright)
  endif()
  set(toolchain_arg "")
endif()
foreach(file ${expected})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the package lacks ${file}")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package -B ${work}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release ${toolchain_arg})
run(${CMAKE_COMMAND} --build ${work}/build)
if(TOOLCHAIN)
  run(${EMULATOR} ${work}/build/consumer.exe)
  run(${EMULATOR} ${prefix}/bin/qzpaths.exe --version)
else()
  run(${work}/build/consumer)
  # The .pc names /usr; the scratch root stands in for the system root, as in a cross build.
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  foreach(variable prefix=/usr includedir=/usr/include/QZAppInfo)
    string(REPLACE "=" ";" variable ${variable})
    list(GET variable 0 name)
    list(GET variable 1 value)
    run(pkg-config --variable=${name} QZAppInfo)
    if(NOT last_output STREQUAL "${value}\n")
      message(FATAL_ERROR "QZAppInfo.pc gives ${name} ${last_output} instead of ${value}")
    endif()
  endforeach()
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${work}/root)
  run(pkg-config --cflags --libs QZAppInfo)
  separate_arguments(flags UNIX_COMMAND "${last_output}")
  run(c++ -std=c++17 ${SOURCE_DIR}/tests/package/consumer.cpp ${flags} -o ${work}/consumer-pc)
  set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
  run(${work}/consumer-pc)
  unset(ENV{LD_LIBRARY_PATH})

  # Stripped binaries whose run paths start at $ORIGIN, so that qzpaths runs from the
  # scratch root without LD_LIBRARY_PATH.
  set(binaries bin/qzpaths ${LIBDIR}/libQZAppInfo.so.10)
  if(TCLDIR)
    list(APPEND binaries ${TCLDIR}/libqzappinfo.so)
  endif()
  foreach(binary ${binaries})
    run(readelf -S -d ${prefix}/${binary})
    if(last_output MATCHES "\\.debug_" OR last_output MATCHES "\\.symtab")
      message(FATAL_ERROR "${binary} in the .deb is not stripped")
    endif()
    if(last_output MATCHES "R(UN)?PATH\\) +Library r(un)?path: \\[([^\n]*)\\]"
       AND NOT CMAKE_MATCH_3 MATCHES "^\\$ORIGIN/")
      message(FATAL_ERROR "${binary} in the .deb has the run path ${CMAKE_MATCH_3}")
    endif()
  endforeach()
  run(${prefix}/bin/qzpaths --version)
  run(${prefix}/bin/qzpaths --exe ${HOME_DIR}/qz/bin/linux64/ryndel get tcl_lib)
  set(tcl_lib "${last_output}")
  # The home holds qzcommon: a sandbox, whose Tcl lies below third_party.
  if(NOT tcl_lib STREQUAL "${HOME_DIR}/third_party/tcl/tcl8.4.13/linux64/lib/tcl8.4\n")
    message(FATAL_ERROR "qzpaths from the .deb gives tcl_lib ${tcl_lib}")
  endif()

  # Debian's tclsh8.6 loads the package from the scratch root and prints the same path.
  if(TCLDIR)
    get_filename_component(tcl_packages ${prefix}/${TCLDIR} DIRECTORY)
    set(ENV{TCLLIBPATH} ${tcl_packages})
    set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
    set(ENV{EXE} ${HOME_DIR}/qz/bin/linux64/ryndel)
    file(WRITE ${work}/tcl_lib.tcl "package require qzappinfo; qzappinfo::init -exe $env(EXE); puts [qzappinfo::path tcl_lib]\n")
    execute_process(COMMAND tclsh8.6 INPUT_FILE ${work}/tcl_lib.tcl RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0 OR NOT out STREQUAL tcl_lib)
      message(FATAL_ERROR "tclsh8.6 with the .deb's Tcl package printed (${result}):\n${out}\n"
        "instead of qzpaths's ${tcl_lib}")
    endif()
  endif()
endif()
