# Installation layout and the Debian packages. Two components: "corvane" (the client with its
# desktop entry, icons and AppStream metadata) and "tessaro-server" (the stand-in server).
include(GNUInstallDirs)

# Installing and packaging take what the build made; they do not build everything first, so a
# package of the programs does not wait for the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CORVANE_APP_ID it.corvane.Corvane)
set(CORVANE_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)

configure_file(${CORVANE_DESKTOP_DIR}/${CORVANE_APP_ID}.metainfo.xml
    ${CMAKE_BINARY_DIR}/${CORVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CORVANE_DESKTOP_DIR}/${CORVANE_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT corvane)
install(FILES ${CMAKE_BINARY_DIR}/${CORVANE_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT corvane)
install(DIRECTORY ${CORVANE_DESKTOP_DIR}/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT corvane)
install(FILES ${CORVANE_DESKTOP_DIR}/icons/${CORVANE_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT corvane)

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Client of the Tessaro service for credit-guarantee consortia")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL corvane tessaro-server)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_DEBIAN_CORVANE_PACKAGE_NAME corvane)
set(CPACK_DEBIAN_CORVANE_PACKAGE_SECTION x11)
# Loaded at run time, so no linked library names them: TLS through libssl, Qt's Italian texts,
# the workbook export's libxlsxwriter (src/CMakeLists.txt says why), the QR code reader's libzbar.
set(CPACK_DEBIAN_CORVANE_PACKAGE_DEPENDS "libssl3, qttranslations5-l10n, libxlsxwriter4, libzbar0")
set(CPACK_DEBIAN_CORVANE_PACKAGE_RECOMMENDS "gnome-keyring | kwalletmanager")
set(CPACK_COMPONENT_CORVANE_DESCRIPTION
    "Desktop client through which the staff of a credit-guarantee consortium consult what the
Tessaro service holds about the consortium's business.")
set(CPACK_DEBIAN_TESSARO-SERVER_PACKAGE_NAME tessaro-server)
set(CPACK_COMPONENT_TESSARO-SERVER_DESCRIPTION
    "HTTPS stand-in for the Tessaro service, with its own SQLite database and demo data.")

include(CPack)
