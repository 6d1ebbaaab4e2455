# The Windows zip (`./forge package --windows`): veldra-cli.exe, the tool's
# part of the README and the licences, side by side at the top of
# build-windows/veldra-cli-VERSION-win64.zip (Explorer's "Extract All" makes
# the folder). CPack writes it; packaging/check_zip.sh checks it.
install(TARGETS veldra-cli RUNTIME DESTINATION .)

# Text files as Windows expects them: CRLF line ends.
function(veldra_write_windows_text output text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${output} "${text}")
endfunction()

# README.txt: the tool's part of the README, from its heading up to the
# paragraph on building it (which is for developers, not for the zip's users).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "## veldra-cli: every table" tool_start)
string(FIND "${readme}" "**Building it.**" tool_end)
if(tool_start LESS 0 OR tool_end LESS tool_start)
  message(FATAL_ERROR "README.md: the tool's part (from \"## veldra-cli: every table\" to \"**Building it.**\") is not found")
endif()
math(EXPR tool_length "${tool_end} - ${tool_start}")
string(SUBSTRING "${readme}" ${tool_start} ${tool_length} tool_readme)
string(STRIP "${tool_readme}" tool_readme)
veldra_write_windows_text(${CMAKE_CURRENT_BINARY_DIR}/zip/README.txt
                          "veldra-cli ${PROJECT_VERSION}, the command-line tool of Veldra Forge\n\n${tool_readme}\n")

# The program links the C++ runtime, the MinGW-w64 runtime with winpthreads,
# zlib, nlohmann-json, CLI11 and utfcpp into itself; their notices travel with it, as
# Debian ships them with the packages the program is built from.
set(licence "veldra-cli.exe is the command-line tool of Veldra Forge.

It holds code of the libraries below, linked into the program. Their
copyright notices and licence terms follow, as the Debian packages that the
program is built from state them.
")
foreach(entry IN ITEMS
        "gcc-mingw-w64-base|the GCC runtime: libstdc++ and libgcc"
        "mingw-w64-x86-64-dev|the MinGW-w64 runtime and winpthreads"
        "libz-mingw-w64-dev|zlib"
        "nlohmann-json3-dev|nlohmann-json"
        "libcli11-dev|CLI11"
        "libutfcpp-dev|utfcpp")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 package)
  list(GET entry 1 what)
  set(copyright /usr/share/doc/${package}/copyright)
  if(NOT EXISTS ${copyright})
    message(FATAL_ERROR "${copyright} is missing: the zip needs the licence of ${what} (Debian package ${package})")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${copyright})
  file(READ ${copyright} terms)
  string(APPEND licence "\n\n======================================================================\n"
         "${what} (Debian package ${package})\n"
         "======================================================================\n\n" "${terms}")
endforeach()

# The terms point to licence texts by their place on a Debian system
# (/usr/share/common-licenses/GPL-3), which a Windows user does not have: each
# text named goes at the end, under its name.
string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9+-]" named "${licence}")
list(REMOVE_DUPLICATES named)
list(SORT named)
set(texts "")
set(aliases "")
set(included "")
foreach(path IN LISTS named)
  get_filename_component(name ${path} NAME)
  # GPL and LGPL name the latest version's text (GPL-3, LGPL-3)
  get_filename_component(real ${path} REALPATH)
  get_filename_component(real_name ${real} NAME)
  if(NOT EXISTS ${real})
    message(FATAL_ERROR "${path} is missing: LICENSE.txt needs the text of the licence ${name} (Debian package base-files)")
  endif()
  if(NOT real_name STREQUAL name)
    string(APPEND aliases "${name} is the text of ${real_name}.\n")
  endif()
  if(real_name IN_LIST included)
    continue()
  endif()
  list(APPEND included ${real_name})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${real})
  file(READ ${real} text)
  string(APPEND texts "\n\n======================================================================\n"
         "${real_name} (/usr/share/common-licenses/${real_name} on a Debian system)\n"
         "======================================================================\n\n" "${text}")
endforeach()
string(APPEND licence "\n\n======================================================================\n"
       "The licence texts that the terms above name by their place on a Debian\n"
       "system (in /usr/share/common-licenses/) follow, each under its name.\n"
       "======================================================================\n\n" "${aliases}" "${texts}")
veldra_write_windows_text(${CMAKE_CURRENT_BINARY_DIR}/zip/LICENSE.txt "${licence}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zip/README.txt ${CMAKE_CURRENT_BINARY_DIR}/zip/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME veldra-cli)
set(CPACK_PACKAGE_VENDOR "Veldra Forge")
set(CPACK_PACKAGE_FILE_NAME veldra-cli-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
