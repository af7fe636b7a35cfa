# Desktop integration (menu entry, icons, metainfo, manual page, autostart entry) and the
# Debian package built from the install tree with CPack.
set(VORLAN_APP_ID org.vorlan.Client)
# Wayland compositors find the window's icon and menu entry by this name, not by the window.
target_compile_definitions(vorlan PRIVATE VORLAN_APP_ID="${VORLAN_APP_ID}")
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${PROJECT_BINARY_DIR}/packaging)

file(READ ${pkg}/${VORLAN_APP_ID}.desktop VORLAN_DESKTOP_ENTRY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pkg}/${VORLAN_APP_ID}.desktop)
# Started at login, the client goes straight to the tray: the entry passes its one option.
string(REPLACE "\nExec=vorlan\n" "\nExec=vorlan --tray\n" VORLAN_DESKTOP_ENTRY "${VORLAN_DESKTOP_ENTRY}")
configure_file(${pkg}/autostart.desktop.in ${gen}/autostart/${VORLAN_APP_ID}.desktop @ONLY)
configure_file(${pkg}/${VORLAN_APP_ID}.metainfo.xml ${gen}/${VORLAN_APP_ID}.metainfo.xml @ONLY)
configure_file(${pkg}/vorlan.1 ${gen}/vorlan.1 @ONLY)
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)

# Debian wants manual pages and changelogs compressed, without a time stamp in the header.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
foreach(doc vorlan.1 changelog)
    add_custom_command(OUTPUT ${gen}/${doc}.gz
        COMMAND ${GZIP_EXECUTABLE} -9nc ${gen}/${doc} > ${gen}/${doc}.gz
        DEPENDS ${gen}/${doc}
        VERBATIM)
endforeach()
add_custom_target(vorlan_packaging_docs ALL DEPENDS ${gen}/vorlan.1.gz ${gen}/changelog.gz)

install(FILES ${pkg}/${VORLAN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/icons/${VORLAN_APP_ID}-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME ${VORLAN_APP_ID}.png)
install(FILES ${PROJECT_SOURCE_DIR}/gfx/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${VORLAN_APP_ID}.svg)
install(FILES ${gen}/${VORLAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${gen}/vorlan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Not enabled for anyone by default: operators copy it to ~/.config/autostart, or an
# administrator to /etc/xdg/autostart for every user.
install(FILES ${gen}/autostart/${VORLAN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlan/autostart)
install(FILES ${pkg}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlan)
set(CPACK_PACKAGE_VENDOR "Vorlan developers")
set(CPACK_PACKAGE_CONTACT "Vorlan developers <dev@vorlan.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for website call-back operators")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorlan lives in the system tray, polls the call-back service of a website
for the requests pending for this workplace, lists them and brings its
window to the front while any is pending. The operator takes a request,
calls the visitor back and closes the request with a written result.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries are found from the program; the QML modules the documents import
# and the plugins that draw the SVG pictures are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml-module-qtquick2, qml-module-qtquick-window2, qml-module-qtquick-layouts, qml-module-qtquick-controls, qml-module-qtquick-controls2, qml-module-qtquick-templates2, qml-module-qtquick-dialogs, qml-module-qtquick-privatewidgets, qml-module-qt-labs-folderlistmodel, qml-module-qt-labs-settings, libqt5svg5")
# The Wayland platform plugin, for sessions that offer no X server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qttranslations5-l10n, qtwayland5, fonts-noto-color-emoji")
include(CPack)

if(VORLAN_TESTS)
    add_subdirectory(tests/packaging)
endif()
