# What an installed Korvane consists of besides the two programs, and the Debian package of it
# (`make package`, or `cpack -G DEB` in the build directory).
include(GNUInstallDirs)

set(KORVANE_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

# The help action looks beside the programs first, then in the shared data folder.
install(FILES ${PROJECT_SOURCE_DIR}/docs/korhlp.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane)

if(KORVANE_WITH_QT)
  install(FILES ${KORVANE_RESOURCES}/korvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KORVANE_RESOURCES}/org.korvane.Korvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${KORVANE_RESOURCES}/org.korvane.korvane.policy DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)
  install(FILES ${KORVANE_RESOURCES}/korvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${KORVANE_RESOURCES}/icons/korvane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME korvane.png)
  endforeach()
endif()

install(FILES ${KORVANE_RESOURCES}/korvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME korvane-cli)

# Manual pages go in compressed, as Debian keeps them.
set(man_pages korvane-cli.1)
if(KORVANE_WITH_QT)
  list(APPEND man_pages korvane.1)
endif()
foreach(page ${man_pages})
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz} DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${gz} VERBATIM)
  list(APPEND man_outputs ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(korvane_man ALL DEPENDS ${man_outputs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Korvane developers <korvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test, repair and benchmark one hard disk or SSD at a time")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvane reads a drive's identification block and SMART data, runs surface scans that time\n"
    "every block and can remap, erase or restore bad ones, runs a seek and acoustic test, manages\n"
    "the host protected area, ATA security, caches, spindle and power, scans the PCI bus, lists\n"
    "partitions and edits sectors. A simulated drive lab is the default, so nothing real is\n"
    "touched until a drive of this computer is chosen.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
set(CPACK_STRIP_FILES ON)
include(CPack)
