# What a package installs, and the Debian package built from it by CPack
# (`./forge package`).
include(GNUInstallDirs)

set(VELDRA_APP_ID org.veldraforge.VeldraForge)

install(TARGETS veldra-forge RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# the command-line tool comes with the package once the project builds it
if(TARGET veldra-cli)
  install(TARGETS veldra-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES packaging/${VELDRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${VELDRA_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/${VELDRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Help > Readme looks for readme.txt here when the working folder has none
install(FILES readme.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/veldra-forge)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/veldra-forge)
install(DIRECTORY examples/label-set DESTINATION ${CMAKE_INSTALL_DATADIR}/veldra-forge/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veldra-forge)
set(CPACK_PACKAGE_VENDOR "Veldra Forge")
set(CPACK_PACKAGE_CONTACT "Veldra Forge maintainers <maintainers@veldraforge.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the data tables of a Veldra Saga ROM image")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop editor for the sprite, enemy, equipment, item and chest tables\nof a Veldra Saga ROM image, with a command-line tool over the same core.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# the Qt libraries the programs link come from dpkg-shlibdeps; the SVG plugin
# that draws the icon is loaded at run time, so it is named here
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
include(CPack)
