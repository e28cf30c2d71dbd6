# Installing and packaging.
#
#   cmake --install build --prefix P   P/bin/afterglow, afterglow-render-farm,
#                                      P/share/afterglow/...,
#                                      the manual page, desktop entry and icon
#   cd build && cpack                  afterglow_VERSION_ARCH.deb (that layout
#                                      under /usr) and a portable .tar.gz whose
#                                      folder holds the program beside its data

# The manual page, written at build time from the table of options and the
# lists --help prints. Its date is the configure run's (SOURCE_DATE_EPOCH,
# where set, makes it repeatable).
set(AFTERGLOW_MAN_PAGE ${CMAKE_BINARY_DIR}/afterglow.6)
string(TIMESTAMP AFTERGLOW_MAN_DATE "%Y-%m-%d" UTC)
add_custom_command(
  OUTPUT ${AFTERGLOW_MAN_PAGE}
  COMMAND afterglow-man-page ${AFTERGLOW_MAN_PAGE} ${AFTERGLOW_MAN_DATE}
  DEPENDS afterglow-man-page
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_target(man-page ALL DEPENDS ${AFTERGLOW_MAN_PAGE})

# The programs and the data folder the build writes beside them, to BIN and
# DATA; ARGN: the component options.
function(install_afterglow BIN DATA)
  install(TARGETS afterglow afterglow-inspect RUNTIME DESTINATION ${BIN} ${ARGN})
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/render-farm DESTINATION ${BIN} RENAME afterglow-render-farm ${ARGN})
  install(FILES ${CMAKE_BINARY_DIR}/demo.mp3 DESTINATION ${DATA} ${ARGN})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/Textures ${CMAKE_BINARY_DIR}/shaders ${CMAKE_BINARY_DIR}/models
    DESTINATION ${DATA} ${ARGN})
endfunction()

install_afterglow(${CMAKE_INSTALL_BINDIR} ${AFTERGLOW_INSTALL_DATADIR})
install(FILES ${AFTERGLOW_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/afterglow.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/afterglow.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The portable layout: only the archive asks for it.
install_afterglow(. . COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME afterglow)
set(CPACK_PACKAGE_VENDOR "Afterglow")
set(CPACK_PACKAGE_CONTACT "Afterglow developers <afterglow@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music-synchronised real-time 3D presentation")
set(CPACK_PACKAGE_DESCRIPTION
  "Eleven animated scenes drawn with OpenGL 2.0, timed frame by frame against one piece of music that is the only clock. It plays full screen for just over four minutes and ends by itself.")
set(CPACK_PACKAGE_FILE_NAME afterglow-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link, as the packages that hold them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Captures run ffmpeg; afterglow-render-farm runs GNU parallel (and rsync
# to bring parts back from other machines).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, parallel, rsync")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package_generator.cmake)
set(CPACK_AFTERGLOW_BUILD_DIR ${CMAKE_BINARY_DIR})
include(CPack)
