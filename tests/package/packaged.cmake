# Makes the platform's package (.deb or .zip) with CPack, unpacks it into a scratch root,
# and builds and runs the consumer against what it holds; on Linux also through
# pkg-config. Variables: BUILD_DIR, SOURCE_DIR, TOOLCHAIN, EMULATOR, HOME_DIR.
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
  set(expected bin/QZAppInfo.dll bin/qzpaths.exe include/QZApplicationInfo.h include/QZ_PathManager.h
      lib/cmake/QZAppInfo/QZAppInfoConfig.cmake lib/pkgconfig/QZAppInfo.pc share/man/man1/qzpaths.1
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
  file(GLOB package ${work}/packages/*.deb)
  run(dpkg-deb -x ${package} ${work}/root)
  set(prefix ${work}/root/usr)
  set(expected bin/qzpaths lib/libQZAppInfo.so include/QZApplicationInfo.h include/QZ_PathManager.h
      lib/cmake/QZAppInfo/QZAppInfoConfig.cmake lib/pkgconfig/QZAppInfo.pc share/man/man1/qzpaths.1)
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
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  run(pkg-config --cflags --libs QZAppInfo)
  separate_arguments(flags UNIX_COMMAND "${last_output}")
  run(c++ -std=c++17 ${SOURCE_DIR}/tests/package/consumer.cpp ${flags} -o ${work}/consumer-pc)
  set(ENV{LD_LIBRARY_PATH} ${prefix}/lib)
  run(${work}/consumer-pc)
  run(${prefix}/bin/qzpaths --version)
endif()
