# CLI11 and nlohmann-json for the tools, from Debian's packages. Both are header-only;
# their headers are copied into the build tree so that a cross build can use them
# without seeing the rest of the host's system headers.
function(qz_header_only_dependency target header subdir package)
  find_path(QZ_${target}_INCLUDE ${header} PATHS /usr/include /usr/local/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT QZ_${target}_INCLUDE)
    message(FATAL_ERROR "${header} not found: install Debian's ${package}")
  endif()
  set(copy ${PROJECT_BINARY_DIR}/deps/include)
  file(COPY ${QZ_${target}_INCLUDE}/${subdir} DESTINATION ${copy})
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${copy})
endfunction()

qz_header_only_dependency(qz_cli11 CLI/CLI.hpp CLI libcli11-dev)
qz_header_only_dependency(qz_json nlohmann/json.hpp nlohmann nlohmann-json3-dev)
