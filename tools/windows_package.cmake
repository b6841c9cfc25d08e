# The Windows programs at the top of the build folder, and what `cpack` makes
# of them: a zip and (with Debian's nsis) an installer, each holding the three
# programs, the README and the sample survey. Included by the top level once
# every target exists.
set(vesk_windows_programs veskconv veskconv-batch vskgen)
set_target_properties(${vesk_windows_programs} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

install(TARGETS ${vesk_windows_programs} RUNTIME DESTINATION . COMPONENT windows)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . COMPONENT windows)
install(FILES ${PROJECT_SOURCE_DIR}/samples/survey-line-1.vsk ${PROJECT_SOURCE_DIR}/samples/README.md
        DESTINATION samples COMPONENT windows)

set(CPACK_PACKAGE_NAME VESKCONV)
set(CPACK_PACKAGE_VENDOR VESKCONV)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VSK to SEGY file format conversion tool")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY VESKCONV)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# Only the Windows component: the Linux install rules stay out of the packages.
set(CPACK_COMPONENTS_ALL windows)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_WINDOWS_DISPLAY_NAME "VESKCONV, veskconv-batch and vskgen")
set(CPACK_COMPONENT_WINDOWS_REQUIRED ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/tools/windows_cpack_options.cmake)
set(CPACK_GENERATOR ZIP)
find_program(MAKENSIS makensis)
if(MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
  # A 64-bit installer, for 64-bit programs, into "Program Files".
  # The template has no place of its own for NSIS's Target: it follows the
  # compressor's line.
  set(CPACK_NSIS_COMPRESSOR "lzma\nTarget amd64-unicode")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DISPLAY_NAME "VESKCONV ${PROJECT_VERSION}")
  set(CPACK_NSIS_PACKAGE_NAME VESKCONV)
  set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/res/windows/icons/class_icon.ico)
  set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/res/windows/icons/class_icon.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME veskconv.exe)
  set(CPACK_PACKAGE_EXECUTABLES veskconv VESKCONV)
endif()
include(CPack)
