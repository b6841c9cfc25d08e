# Read by cpack for each package kind: the zip holds one folder, the
# installer puts the files straight into the folder the user chose.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
