# The Windows programs at the top of the build folder, and what `cpack` makes
# of them: a zip and (with Debian's nsis) an installer, each holding the three
# programs, the README, the licence and the sample survey. Included by the
# top level once every target exists; the Linux install rules are Linux's only.
set(vesk_windows_programs veskconv veskconv-batch vskgen)
set_target_properties(${vesk_windows_programs} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

install(TARGETS ${vesk_windows_programs} RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/samples/survey-line-1.vsk ${PROJECT_SOURCE_DIR}/samples/README.md
        DESTINATION samples)

set(CPACK_PACKAGE_NAME VESKCONV)
set(CPACK_PACKAGE_VENDOR VESKCONV)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VSK to SEGY file format conversion tool")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY VESKCONV)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Values reach the installer's script as written here, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
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
  # The Start menu's shortcut: the programs lie in the installation folder
  # itself (CPack's own shortcuts would point into a "bin" folder).
  set(CPACK_NSIS_CREATE_ICONS_EXTRA
      "CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\VESKCONV.lnk\" \"$INSTDIR\\veskconv.exe\"")
  set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete \"$SMPROGRAMS\\$MUI_TEMP\\VESKCONV.lnk\"")
  # .vsk files open in veskconv.exe. The uninstaller removes the type, and
  # gives .vsk up only while it is still this program's.
  set(vesk_classes "Software\\Classes")
  set(vesk_type "VESKCONV.Survey")
  set(vesk_shell_changed "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'")
  string(JOIN "\n" CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "WriteRegStr SHCTX \"${vesk_classes}\\${vesk_type}\" \"\" \"VSK sonar survey\""
    "WriteRegStr SHCTX \"${vesk_classes}\\${vesk_type}\\DefaultIcon\" \"\" \"$INSTDIR\\veskconv.exe,0\""
    "WriteRegStr SHCTX \"${vesk_classes}\\${vesk_type}\\shell\\open\\command\" \"\" '\"$INSTDIR\\veskconv.exe\" \"%1\"'"
    "WriteRegStr SHCTX \"${vesk_classes}\\.vsk\" \"\" \"${vesk_type}\""
    "WriteRegStr SHCTX \"${vesk_classes}\\.vsk\\OpenWithProgids\" \"${vesk_type}\" \"\""
    "${vesk_shell_changed}")
  string(JOIN "\n" CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "ReadRegStr $0 SHCTX \"${vesk_classes}\\.vsk\" \"\""
    "StrCmp $0 \"${vesk_type}\" 0 +2"
    "DeleteRegValue SHCTX \"${vesk_classes}\\.vsk\" \"\""
    "DeleteRegValue SHCTX \"${vesk_classes}\\.vsk\\OpenWithProgids\" \"${vesk_type}\""
    "DeleteRegKey /ifempty SHCTX \"${vesk_classes}\\.vsk\\OpenWithProgids\""
    "DeleteRegKey /ifempty SHCTX \"${vesk_classes}\\.vsk\""
    "DeleteRegKey SHCTX \"${vesk_classes}\\${vesk_type}\""
    "${vesk_shell_changed}")
endif()
include(CPack)
