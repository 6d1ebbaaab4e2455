# The tool's process tests once more, against its Windows build run by Wine,
# and the cases only Windows has (test_cli_windows). ./forge test cross-builds
# the tool into build-windows/ and names it in VELDRA_WINDOWS_CLI.
find_program(VELDRA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(VELDRA_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT VELDRA_WINE OR NOT VELDRA_WINESERVER)
  message(FATAL_ERROR "VELDRA_WINDOWS_CLI is set, but wine64 is missing: install the package wine64")
endif()

# one prefix for the whole run, under the build folder; no window, no dialog,
# no display and no debug chatter
set(VELDRA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(VELDRA_WINE_ENV
    "WINEPREFIX=${VELDRA_WINE_PREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=" "DISPLAY=" "WAYLAND_DISPLAY=")
set(VELDRA_WINE_TOOL_ENV ${VELDRA_WINE_ENV} "VELDRA_CLI=${VELDRA_WINDOWS_CLI}" "VELDRA_CLI_RUNNER=${VELDRA_WINE}")

add_test(NAME wine_prefix COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/prepare_prefix.sh ${VELDRA_WINE} ${VELDRA_WINESERVER})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${VELDRA_WINE_ENV}" TIMEOUT 300)
add_test(NAME wine_server_end COMMAND ${VELDRA_WINESERVER} -k)
set_tests_properties(wine_server_end PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${VELDRA_WINE_ENV}" TIMEOUT 60)

add_executable(test_cli_windows tests/wine/test_cli_windows.cpp)
target_link_libraries(test_cli_windows PRIVATE veldra_test_support)
# the Windows-only cases compare the two builds' results
target_compile_definitions(test_cli_windows PRIVATE VELDRA_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

list(JOIN VELDRA_WINE_TOOL_ENV ";" wine_tool_env)
foreach(test_name IN ITEMS test_cli_tool test_cli_edits test_cli_patch test_cli_windows)
  set(wine_test ${test_name})
  if(NOT test_name STREQUAL "test_cli_windows")
    set(wine_test ${test_name}_wine)
  endif()
  add_test(NAME ${wine_test} COMMAND ${test_name})
  set_tests_properties(${wine_test} PROPERTIES
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELDRA_FORGE_DATA_DIR=${CMAKE_CURRENT_BINARY_DIR}/test-data;${wine_tool_env}${VELDRA_TEST_ENV_EXTRA}"
                       FIXTURES_REQUIRED wine TIMEOUT 900)
endforeach()
