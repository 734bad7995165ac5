# msvc_consumer.cmake - builds msvc_consumer.c as Microsoft's toolchain would (clang --target=x86_64-pc-windows-msvc, lld-link against QZAppInfo.lib and the system's DLLs only), runs it under Wine over a drive-letter sandbox tree and checks its output; also checks that QZAppInfo.dll exports every name of QZAppInfo.def.
# Variables: CLANG, LLD_LINK, DLLTOOL, READOBJ, SOURCE_DIR, WORK, DLL, IMPORT_LIB, DEF_FILE, EMULATOR.
file(REMOVE_RECURSE ${WORK})
set(tree ${WORK}/tree)
set(bin ${tree}/sandbox/bin)
file(MAKE_DIRECTORY ${tree}/sandbox/qzcommon ${bin} ${tree}/cfg)
file(WRITE ${tree}/cfg/consumer.cfg "setting = 1\n")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

# Every export that the module definition file promises is in the DLL.
if(READOBJ)
  run(${READOBJ} --coff-exports ${DLL})
  set(exports "${last_output}")
  file(STRINGS ${DEF_FILE} names REGEX "^    qz_")
  foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    if(NOT exports MATCHES "Name: ${name}\n")
      message(FATAL_ERROR "QZAppInfo.dll does not export ${name}, which QZAppInfo.def lists")
    endif()
  endforeach()
endif()

# Import libraries of the system DLLs, from the functions the consumer declares.
file(WRITE ${WORK}/msvcrt.def "LIBRARY msvcrt.dll\nEXPORTS\n    printf\n    getenv\n")
file(WRITE ${WORK}/kernel32.def "LIBRARY kernel32.dll\nEXPORTS\n    GetModuleFileNameA\n    ExitProcess\n")
run(${DLLTOOL} -m i386:x86-64 -d ${WORK}/msvcrt.def -l ${WORK}/msvcrt.lib)
run(${DLLTOOL} -m i386:x86-64 -d ${WORK}/kernel32.def -l ${WORK}/kernel32.lib)

run(${CLANG} --target=x86_64-pc-windows-msvc -std=c99 -ffreestanding -fno-builtin -Wall -Wextra -Werror
    -I${SOURCE_DIR}/capi -c ${SOURCE_DIR}/tests/capi/msvc_consumer.c -o ${WORK}/msvc_consumer.obj)
run(${LLD_LINK} /nologo /nodefaultlib /entry:mainCRTStartup /subsystem:console /out:${bin}/msvc_consumer.exe
    ${WORK}/msvc_consumer.obj ${IMPORT_LIB} ${WORK}/msvcrt.lib ${WORK}/kernel32.lib)
file(COPY ${DLL} DESTINATION ${bin})

# The program needs nothing of mingw: only the library and the system's DLLs.
if(READOBJ)
  run(${READOBJ} --coff-imports ${bin}/msvc_consumer.exe)
  string(REGEX MATCHALL "Name: [^\n]+\\.dll" imported "${last_output}")
  list(SORT imported)
  if(NOT imported STREQUAL "Name: QZAppInfo.dll;Name: kernel32.dll;Name: msvcrt.dll")
    message(FATAL_ERROR "the consumer imports ${imported}")
  endif()
endif()

# Wine shows the Linux file system as drive Z:. The home comes from the walk.
set(config Z:${tree}/cfg)
run(${CMAKE_COMMAND} -E env --unset=CORVAN_HOME --unset=QZ_MSG_HELP QZ_CONSUMER_VAR=from-environment
    QZ_CONFIG_PATH=${config} QZ_CONSUMER_CONFIG=${config} ${EMULATOR} ${bin}/msvc_consumer.exe)
set(output "${last_output}")
string(REPLACE "\r\n" "\n" output "${output}")
message(STATUS "${output}")
set(home Z:${tree}/sandbox)
foreach(line
    "version 10.0build60 10.0.60"
    "initialize 1"
    "home ${home}"
    "title Ryndel v10.0-003"
    "qz_help_dir ${home}/help/"
    "keys 77 first qz_bindir"
    "sysvar 1 from-environment"
    "dump 77 keys"
    "config 1 ${config}")
  string(FIND "${output}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the consumer's output lacks the line \"${line}\":\n${output}")
  endif()
endforeach()
if(NOT output MATCHES "\ntcl_lib ${home}/[^\n]+\n")
  message(FATAL_ERROR "the consumer's output lacks tcl_lib below the home:\n${output}")
endif()
