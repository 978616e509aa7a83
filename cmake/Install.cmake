# What `cmake --install` puts in place, and the Debian package `cpack -G DEB` makes of it.
include(GNUInstallDirs)

set(VRK_ICONS ${PROJECT_BINARY_DIR}/icons)
set(VRK_ICON_SIZES 16 32 48 64 128 256)
set(VRK_ICON_FILES ${VRK_ICONS}/vrkviewer.svg)
foreach(size ${VRK_ICON_SIZES})
  list(APPEND VRK_ICON_FILES ${VRK_ICONS}/vrkviewer-${size}.png)
endforeach()
add_custom_command(OUTPUT ${VRK_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VRK_ICONS}
  COMMAND makeicon ${VRK_ICONS}
  DEPENDS makeicon VERBATIM)
add_custom_target(icons ALL DEPENDS ${VRK_ICON_FILES})

# The logo clip goes beside the viewer, where the About box looks for it.
install(TARGETS vrkviewer vrkinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/Vlogo.avi DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/vrkviewer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/vrkviewer-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME vrkviewer.xml)
install(FILES ${VRK_ICONS}/vrkviewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${VRK_ICON_SIZES})
  install(FILES ${VRK_ICONS}/vrkviewer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vrkviewer.png)
endforeach()
install(FILES packaging/vrkinfo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME vrkviewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VRK_DESCRIPTION}: a viewer for TIN terrain models")
set(CPACK_PACKAGE_DESCRIPTION "${VRK_COMMENTS}")
set(CPACK_PACKAGE_CONTACT "VRK Viewer developers <vrkviewer@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Stripped: the version block lives in a section of its own, which strip keeps.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link, as the Debian packages that hold them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")
include(CPack)
