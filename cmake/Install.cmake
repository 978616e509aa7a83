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

# The logo clip goes in the program's data folder, where the About box looks when it is not
# beside the program.
install(TARGETS vrkviewer vrkinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/Vlogo.avi DESTINATION ${CMAKE_INSTALL_DATADIR}/vrkviewer)

# Manual pages and the changelog compressed as Debian policy asks, without a time stamp.
set(VRK_MAINTAINER "VRK Viewer developers <developers@vrkviewer.org>"
    CACHE STRING "The package's maintainer, name and address")
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
set(VRK_COMPRESSED)
foreach(source packaging/vrkinfo.1 packaging/vrkviewer.1 ${PROJECT_BINARY_DIR}/packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(compressed ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9nc ${source} > ${compressed}
    DEPENDS ${source} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  list(APPEND VRK_COMPRESSED ${compressed})
endforeach()
add_custom_target(compresseddocs ALL DEPENDS ${VRK_COMPRESSED})
install(FILES ${PROJECT_BINARY_DIR}/packaging/vrkinfo.1.gz ${PROJECT_BINARY_DIR}/packaging/vrkviewer.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vrkviewer)
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

set(CPACK_PACKAGE_NAME vrkviewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VRK_DESCRIPTION}: a viewer for TIN terrain models")
set(CPACK_PACKAGE_DESCRIPTION "${VRK_COMMENTS}")
set(CPACK_PACKAGE_CONTACT "${VRK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Stripped: the version block lives in a section of its own, which strip keeps.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link, as the Debian packages that hold them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")
include(CPack)
