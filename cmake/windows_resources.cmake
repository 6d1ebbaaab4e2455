# The Windows tool's resources: a version resource (Explorer's Properties >
# Details, and what installers read) and a manifest that makes it long-path
# aware. windres of MinGW-w64 compiles them into veldra-cli.exe.
enable_language(RC)
set(VELDRA_RC_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
string(REPLACE "." "," VELDRA_RC_COMMAS ${VELDRA_RC_VERSION})
set(VELDRA_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/generated/veldra-cli.manifest)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/veldra-cli.manifest ${VELDRA_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/veldra-cli.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/veldra-cli.rc @ONLY)
target_sources(veldra-cli PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/veldra-cli.rc)
