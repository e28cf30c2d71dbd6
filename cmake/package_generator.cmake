# Read by cpack for each generator: the archive takes the portable layout,
# the program beside its data; the Debian package the installed layout and
# what only a package carries (the component debian).
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_AFTERGLOW_BUILD_DIR};afterglow;portable;/")
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CPACK_AFTERGLOW_BUILD_DIR};afterglow;ALL;/;${CPACK_AFTERGLOW_BUILD_DIR};afterglow;debian;/")
endif()
