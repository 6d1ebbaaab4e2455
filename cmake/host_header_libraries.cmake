# The header-only libraries of the tool (nlohmann-json, CLI11) for a cross
# build: their headers come from the build machine's packages, which have no
# counterpart for the target. Only those two folders are copied into the build
# folder and put on the include path, so that the cross compiler never sees
# the build machine's other headers (its C library would clash with the
# target's).
foreach(lib IN ITEMS "nlohmann_json;nlohmann;json.hpp" "CLI11;CLI;CLI.hpp")
  list(GET lib 0 target_name)
  list(GET lib 1 folder)
  list(GET lib 2 header)
  find_path(VELDRA_HOST_${target_name}_INCLUDE ${folder}/${header}
            PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT VELDRA_HOST_${target_name}_INCLUDE)
    message(FATAL_ERROR "${folder}/${header} not found in /usr/include: install nlohmann-json3-dev and libcli11-dev")
  endif()
  file(COPY ${VELDRA_HOST_${target_name}_INCLUDE}/${folder} DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
  add_library(${target_name}::${target_name} INTERFACE IMPORTED)
  set_target_properties(${target_name}::${target_name} PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/host-headers)
endforeach()
