# The header-only libraries of the tool (nlohmann-json, CLI11, utfcpp) for a
# cross build: their headers come from the build machine's packages, which
# have no counterpart for the target. Only their folders are copied into the
# build folder and put on the include path, so that the cross compiler never
# sees the build machine's other headers (its C library would clash with the
# target's).
set(VELDRA_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)

# target, the header that tells the library is there, and what to copy of
# /usr/include into host-headers/<where> ("." for the top)
function(veldra_host_header_library target header where)
  string(MAKE_C_IDENTIFIER ${target} id)
  find_file(VELDRA_HOST_${id}_HEADER ${header} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT VELDRA_HOST_${id}_HEADER)
    message(FATAL_ERROR "${header} not found in /usr/include: install nlohmann-json3-dev, libcli11-dev and libutfcpp-dev")
  endif()
  string(REPLACE "/${header}" "" include_dir "${VELDRA_HOST_${id}_HEADER}")
  foreach(item IN LISTS ARGN)
    file(COPY ${include_dir}/${item} DESTINATION ${VELDRA_HOST_HEADERS}/${where})
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${VELDRA_HOST_HEADERS}/${where})
endfunction()

veldra_host_header_library(nlohmann_json::nlohmann_json nlohmann/json.hpp . nlohmann)
veldra_host_header_library(CLI11::CLI11 CLI/CLI.hpp . CLI)
veldra_host_header_library(utf8cpp utf8cpp/utf8.h utf8cpp utf8cpp/utf8.h utf8cpp/utf8)
