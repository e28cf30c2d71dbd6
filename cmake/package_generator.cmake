# Read by cpack for each generator: the archive takes the portable layout,
# the program beside its data.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_AFTERGLOW_BUILD_DIR};afterglow;portable;/")
endif()
