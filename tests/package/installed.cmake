# Installs the build into a scratch prefix, builds the consumer project against it and
# runs the consumer; on Linux also runs the installed qzpaths and the Tcl package's suite
# without LD_LIBRARY_PATH, which only their run paths relative to themselves allow.
# Variables: BUILD_DIR, SOURCE_DIR, TOOLCHAIN (may be empty), EMULATOR (may be empty),
# HOME_DIR (an installation home for the consumer), LIBDIR (the install's library
# directory), TCLDIR (the Tcl package's directory; empty without it).
set(work ${BUILD_DIR}/package-test)
file(REMOVE_RECURSE ${work})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
  message(STATUS "${out}")
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${work}/prefix)
set(prefix ${work}/prefix)
foreach(header QZAppInfo/QZApplicationInfo.h QZAppInfo/QZ_PathManager.h QZAppInfo/qzappinfo.h)
  if(NOT EXISTS ${prefix}/include/${header})
    message(FATAL_ERROR "the install lacks include/${header}")
  endif()
endforeach()
set(toolchain_arg "")
if(TOOLCHAIN)
  # A cross build searches its target's root only; point it at the package directly.
  set(toolchain_arg -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DQZAppInfo_DIR=${prefix}/${LIBDIR}/cmake/QZAppInfo)
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package -B ${work}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release ${toolchain_arg} -DCMAKE_CXX_FLAGS=-Werror)
run(${CMAKE_COMMAND} --build ${work}/build)
set(ENV{CORVAN_HOME} ${HOME_DIR})
if(EXISTS ${work}/build/consumer.exe)
  run(${EMULATOR} ${work}/build/consumer.exe)
else()
  run(${work}/build/consumer)
  unset(ENV{LD_LIBRARY_PATH})
  run(${prefix}/bin/qzpaths --version)
  # The .pc names the prefix it was installed to.
  file(READ ${prefix}/${LIBDIR}/pkgconfig/QZAppInfo.pc pc)
  if(NOT pc MATCHES "prefix=${prefix}\n" OR NOT pc MATCHES "includedir=\\\${prefix}/include/QZAppInfo\n")
    message(FATAL_ERROR "QZAppInfo.pc does not name the prefix ${prefix}:\n${pc}")
  endif()
  if(TCLDIR)
    unset(ENV{CORVAN_HOME})
    run(tclsh8.6 ${SOURCE_DIR}/tcl/tests/all.tcl -pkgdir ${prefix}/${TCLDIR} -tmpdir ${work}/tcl-tmp
        -qzpaths ${prefix}/bin/qzpaths)
  endif()
endif()
