# The Windows zip (`./forge package --windows`): veldra-cli.exe, the README and
# the licences, side by side at the top of
# build-windows/veldra-cli-VERSION-win64.zip (Explorer's "Extract All" makes
# the folder). CPack writes it; packaging/check_zip.sh checks it.
install(TARGETS veldra-cli RUNTIME DESTINATION .)

# Text files as Windows expects them: CRLF line ends.
function(veldra_write_windows_text output text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${output} "${text}")
endfunction()

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/README.md readme)
veldra_write_windows_text(${CMAKE_CURRENT_BINARY_DIR}/zip/README.txt "${readme}")

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
veldra_write_windows_text(${CMAKE_CURRENT_BINARY_DIR}/zip/LICENSE.txt "${licence}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zip/README.txt ${CMAKE_CURRENT_BINARY_DIR}/zip/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME veldra-cli)
set(CPACK_PACKAGE_VENDOR "Veldra Forge")
set(CPACK_PACKAGE_FILE_NAME veldra-cli-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
