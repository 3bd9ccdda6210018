# Install layout and the Debian package of Velmorixon.
# The executables are installed by the main CMakeLists.txt (bin/velmorixon), by
# cmake/journal_view.cmake (lib/velmorixon/velmorixon-journal, the day view) and by
# cmake/recorder.cmake (bin/velmorixon-enregistreur and its systemd user unit).
include(GNUInstallDirs)

set(VELMORIXON_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data)

# Application menu entries (the program, and its day view « Journal des mesures ») and their
# icon in the freedesktop hicolor theme.
install(FILES ${VELMORIXON_DATA}/velmorixon.desktop ${VELMORIXON_DATA}/velmorixon-journal.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32)
  install(FILES ${VELMORIXON_DATA}/icons/velmorixon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME velmorixon.png)
endforeach()
install(FILES ${VELMORIXON_DATA}/icons/velmorixon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmorixon)

# AppStream metadata, so that software centres list the program.
install(FILES ${VELMORIXON_DATA}/velmorixon.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# What Debian asks of every package: the machine-readable copyright, the changelog and the
# manual page, the last two compressed with gzip -9n (no name, no time stamp: reproducible).
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmorixon)
find_program(VELMORIXON_GZIP gzip REQUIRED)
set(VELMORIXON_GZIPPED)
foreach(pair "packaging/changelog=changelog.gz" "data/velmorixon.1=velmorixon.1.gz"
             "data/velmorixon-enregistreur.1=velmorixon-enregistreur.1.gz")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 gzipped)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${gzipped}
    COMMAND ${VELMORIXON_GZIP} -9n < ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${CMAKE_CURRENT_BINARY_DIR}/${gzipped}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
    COMMENT "gzip -9n ${source}")
  list(APPEND VELMORIXON_GZIPPED ${CMAKE_CURRENT_BINARY_DIR}/${gzipped})
endforeach()
add_custom_target(velmorixon_package_docs ALL DEPENDS ${VELMORIXON_GZIPPED})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmorixon)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velmorixon.1.gz ${CMAKE_CURRENT_BINARY_DIR}/velmorixon-enregistreur.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A read-only global offset table, as Debian's hardening asks of every program.
target_link_options(velmorixon PRIVATE LINKER:-z,relro LINKER:-z,now)

# ---- Debian package: cpack -G DEB in a build folder ---------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmorixon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmorixon")
set(CPACK_PACKAGE_CONTACT "Velmorixon maintainers <velmorixon@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME velmorixon)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # velmorixon_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "MAX187 logger and sun position - acquisition MAX187 et position du soleil")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Velmorixon clocks a MAX187 12-bit A/D converter through the PC's parallel
port (ppdev), logs each reading in millivolts to the day's measurement file
and plots it on a strip chart. It also shows the sun's altitude and azimuth
and the day's sunrise, solar noon and sunset for twelve observing sites.
velmorixon-enregistreur records the same files without a window, run by a
systemd user service on unattended stations.
.
Acquisition d'un convertisseur MAX187 sur le port parallèle, enregistrement
des mesures, courbe en direct, position du soleil et heures de lever, de
midi solaire et de coucher. Interface en français. Un enregistreur sans
fenêtre tourne en service systemd sur les stations sans surveillance.")
# Runtime dependencies (Qt 6, the C and C++ libraries) come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own French texts ("Oui", "Non", ...), loaded at start-up; added to what dpkg-shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
