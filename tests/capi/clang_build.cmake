# clang_build.cmake - builds the C test and the C++ layer's test with clang against the library that g++ built, and runs them.
# Variables: CLANG, CLANGXX, SOURCE_DIR, WORK, LIBRARY, VERSION (major,minor,build).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
string(REPLACE "," ";" numbers "${VERSION}")
list(GET numbers 0 major)
list(GET numbers 1 minor)
list(GET numbers 2 build)
get_filename_component(libdir ${LIBRARY} DIRECTORY)
set(tests ${SOURCE_DIR}/tests/capi)
set(link ${LIBRARY} -Wl,-rpath,${libdir})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
  message(STATUS "${out}")
endfunction()

set(warnings -Wall -Wextra -pedantic -Werror)
run(${CLANG} -std=c99 ${warnings} -I${SOURCE_DIR}/capi -DQZ_TEST_VERSION_MAJOR=${major}
    -DQZ_TEST_VERSION_MINOR=${minor} -DQZ_TEST_VERSION_BUILD=${build}
    ${tests}/capi_test.c ${tests}/capi_test_posix.c ${link} -o ${WORK}/capi_test)
run(${CLANG} -std=c99 ${warnings} -c ${tests}/capi_test_posix.c -o ${WORK}/os.o)
run(${CLANGXX} -std=c++17 ${warnings} -I${SOURCE_DIR}/capi ${tests}/capi_cpp_test.cpp ${WORK}/os.o ${link}
    -o ${WORK}/capi_cpp_test)
run(${WORK}/capi_test)
run(${WORK}/capi_cpp_test)
