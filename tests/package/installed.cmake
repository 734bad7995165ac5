# Installs the build into a scratch prefix, builds the consumer project against it and
# runs the consumer. Variables: BUILD_DIR, SOURCE_DIR, TOOLCHAIN (may be empty),
# EMULATOR (may be empty), HOME_DIR (an installation home for the consumer).
set(work ${BUILD_DIR}/package-test)
file(REMOVE_RECURSE ${work})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
  message(STATUS "${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${work}/prefix)
set(toolchain_arg "")
if(TOOLCHAIN)
  # A cross build searches its target's root only; point it at the package directly.
  set(toolchain_arg -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DQZAppInfo_DIR=${work}/prefix/lib/cmake/QZAppInfo)
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package -B ${work}/build -DCMAKE_PREFIX_PATH=${work}/prefix
    -DCMAKE_BUILD_TYPE=Release ${toolchain_arg} -DCMAKE_CXX_FLAGS=-Werror)
run(${CMAKE_COMMAND} --build ${work}/build)
set(ENV{CORVAN_HOME} ${HOME_DIR})
if(EXISTS ${work}/build/consumer.exe)
  run(${EMULATOR} ${work}/build/consumer.exe)
else()
  run(${work}/build/consumer)
endif()
