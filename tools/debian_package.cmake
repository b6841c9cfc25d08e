# The Debian package that `cpack -G DEB` makes from the install rules
# (tools/build-deb): the three programs and their man pages, the desktop
# entry, the VSK file type and the icons, the README and the licence as
# Debian keeps them. Included by the top level once every target exists.
include(GNUInstallDirs)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

# What the package holds, for a build of just that.
add_custom_target(vesk_package_contents)
foreach(part IN ITEMS veskconv veskconv-batch vskgen vesk_man_pages vesk_desktop_icons)
  if(TARGET ${part})
    add_dependencies(vesk_package_contents ${part})
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskconv)
set(CPACK_PACKAGE_VENDOR "The VESKCONV developers")
set(CPACK_PACKAGE_CONTACT "The VESKCONV developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VSK sonar survey to SEG-Y converter")
set(CPACK_PACKAGE_DESCRIPTION [[Converts one channel, the subbottom channel or one port/starboard pair
of a VSK sonar survey (side-scan and subbottom pings) into a SEG-Y file
of 16-bit samples, little- or big-endian: veskconv in a window,
veskconv-batch from scripts; vskgen writes synthetic surveys.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its display plugins at run time; shared-mime-info makes .vsk a
# file type. A desktop without a file manager of its own opens files with
# xdg-open, which knows the type only through File::MimeInfo.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "shared-mime-info")
if(TARGET veskconv)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libfile-mimeinfo-perl")
include(CPack)
