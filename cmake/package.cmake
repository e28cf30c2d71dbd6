# Installing and packaging.
#
#   cmake --install build --prefix P   P/games/afterglow, P/games/afterglow-render-farm,
#                                      P/share/games/afterglow/...,
#                                      the manual pages, desktop entry, icons,
#                                      AppStream metadata, completions, licence
#                                      (docs/install.md lists them)
#   cd build && cpack                  afterglow_VERSION-1_ARCH.deb (that layout
#                                      under /usr, and the component debian) and
#                                      a portable .tar.gz whose folder holds the
#                                      program beside its data
#
# What a Debian packager asks of it (lintian, appstreamcli, hardening-check,
# mandoc) is checked by scripts/check-package-install.

# The release the build makes: the top entry of CHANGELOG.md, "## VERSION
# (DATE)". Its date goes into the manual pages and the AppStream metadata,
# so both stay the same from one build to the next.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md AFTERGLOW_RELEASE_LINE REGEX "^## [0-9]" LIMIT_COUNT 1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
if(AFTERGLOW_RELEASE_LINE MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$"
   AND CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  set(AFTERGLOW_RELEASE_DATE ${CMAKE_MATCH_2})
else()
  string(TIMESTAMP AFTERGLOW_RELEASE_DATE "%Y-%m-%d" UTC)
  message(WARNING "CHANGELOG.md's top entry is not \"## ${PROJECT_VERSION} (YYYY-MM-DD)\"; "
    "the manual pages and the AppStream metadata take today's date")
endif()
# Where the project would publish its pages and the release's screenshot.
set(AFTERGLOW_HOMEPAGE "https://afterglow.example.org/")

# Written at build time: the manual pages (from the table of options and the
# inspector's verbs), compressed as installed; the completions (from the
# table of options); the release's screenshot, a shot by the program built.
set(AFTERGLOW_MAN_PAGES)
foreach(page afterglow afterglow-inspect)
  set(man ${CMAKE_BINARY_DIR}/${page}.6)
  add_custom_command(
    OUTPUT ${man} ${man}.gz
    COMMAND afterglow-man-page ${page} ${man} ${AFTERGLOW_RELEASE_DATE}
    COMMAND gzip -9nkf ${man}
    DEPENDS afterglow-man-page
    COMMENT "Writing the manual page ${page}(6)"
    VERBATIM)
  list(APPEND AFTERGLOW_MAN_PAGES ${man} ${man}.gz)
endforeach()
# The render farm's page is written by hand: it documents a script.
configure_file(${CMAKE_CURRENT_LIST_DIR}/afterglow-render-farm.6 ${CMAKE_BINARY_DIR}/afterglow-render-farm.6 @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/afterglow-render-farm.6.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/afterglow-render-farm.6
  DEPENDS ${CMAKE_BINARY_DIR}/afterglow-render-farm.6
  VERBATIM)
list(APPEND AFTERGLOW_MAN_PAGES ${CMAKE_BINARY_DIR}/afterglow-render-farm.6.gz)
add_custom_target(man-page ALL DEPENDS ${AFTERGLOW_MAN_PAGES})

set(AFTERGLOW_COMPLETIONS ${CMAKE_BINARY_DIR}/completions/afterglow ${CMAKE_BINARY_DIR}/completions/_afterglow)
add_custom_command(
  OUTPUT ${AFTERGLOW_COMPLETIONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completions
  COMMAND afterglow-completion bash ${CMAKE_BINARY_DIR}/completions/afterglow
  COMMAND afterglow-completion zsh ${CMAKE_BINARY_DIR}/completions/_afterglow
  DEPENDS afterglow-completion
  COMMENT "Writing the bash and zsh completions"
  VERBATIM)
add_custom_target(completions ALL DEPENDS ${AFTERGLOW_COMPLETIONS})

# A frame of the third scene, where images, shaders and models all show,
# drawn off-screen at a size that software centres show without bars.
set(AFTERGLOW_SCREENSHOT_WIDTH 1280)
set(AFTERGLOW_SCREENSHOT_HEIGHT 720)
set(AFTERGLOW_SCREENSHOT_NAME afterglow-${PROJECT_VERSION}-screenshot.png)
set(AFTERGLOW_SCREENSHOT_URL ${AFTERGLOW_HOMEPAGE}screenshots/${AFTERGLOW_SCREENSHOT_NAME})
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/${AFTERGLOW_SCREENSHOT_NAME}
  COMMAND ${CMAKE_COMMAND} -E env AFTERGLOW_NO_MESSAGE_BOX=1 SDL_AUDIODRIVER=dummy
    $<TARGET_FILE:afterglow> ${AFTERGLOW_SCREENSHOT_WIDTH} ${AFTERGLOW_SCREENSHOT_HEIGHT} --headless --quiet
    --shot 60000 ${CMAKE_BINARY_DIR}/${AFTERGLOW_SCREENSHOT_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS afterglow data
  COMMENT "Taking the release's screenshot"
  VERBATIM)
add_custom_target(screenshot ALL DEPENDS ${CMAKE_BINARY_DIR}/${AFTERGLOW_SCREENSHOT_NAME})

set(AFTERGLOW_METAINFO ${CMAKE_BINARY_DIR}/org.example.afterglow.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/afterglow.metainfo.xml.in ${AFTERGLOW_METAINFO} @ONLY)

# The Debian changelog as installed, compressed without a time stamp.
set(AFTERGLOW_DEBIAN_CHANGELOG ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
set(AFTERGLOW_UPSTREAM_CHANGELOG ${CMAKE_BINARY_DIR}/debian/changelog.gz)
add_custom_command(
  OUTPUT ${AFTERGLOW_DEBIAN_CHANGELOG} ${AFTERGLOW_UPSTREAM_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_BINARY_DIR}/debian/changelog
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog.Debian ${CMAKE_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  COMMENT "Compressing the changelogs"
  VERBATIM)
add_custom_target(changelogs ALL DEPENDS ${AFTERGLOW_DEBIAN_CHANGELOG} ${AFTERGLOW_UPSTREAM_CHANGELOG})

# The programs and the data folder the build writes beside them, to BIN and
# DATA; ARGN: the component options.
function(install_afterglow BIN DATA)
  install(TARGETS afterglow afterglow-inspect RUNTIME DESTINATION ${BIN} ${ARGN})
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/render-farm DESTINATION ${BIN} RENAME afterglow-render-farm ${ARGN})
  install(FILES ${CMAKE_BINARY_DIR}/demo.mp3 DESTINATION ${DATA} ${ARGN})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/Textures ${CMAKE_BINARY_DIR}/shaders ${CMAKE_BINARY_DIR}/models
    DESTINATION ${DATA} ${ARGN})
endfunction()

set(SHARE ${CMAKE_INSTALL_DATADIR})
install_afterglow(${AFTERGLOW_INSTALL_BINDIR} ${AFTERGLOW_INSTALL_DATADIR})
install(FILES ${CMAKE_BINARY_DIR}/afterglow.6.gz ${CMAKE_BINARY_DIR}/afterglow-inspect.6.gz
  ${CMAKE_BINARY_DIR}/afterglow-render-farm.6.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/afterglow.desktop DESTINATION ${SHARE}/applications)
install(FILES ${AFTERGLOW_METAINFO} DESTINATION ${SHARE}/metainfo)
foreach(size ${AFTERGLOW_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}/afterglow.png DESTINATION ${SHARE}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/completions/afterglow DESTINATION ${SHARE}/bash-completion/completions)
install(FILES ${CMAKE_BINARY_DIR}/completions/_afterglow DESTINATION ${SHARE}/zsh/vendor-completions)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${AFTERGLOW_UPSTREAM_CHANGELOG}
  DESTINATION ${SHARE}/doc/afterglow)
# Only the Debian package carries its own changelog and what lintian may
# pass over (each with its reason): they speak of the package, and an
# install under a prefix is none.
install(FILES ${AFTERGLOW_DEBIAN_CHANGELOG} DESTINATION ${SHARE}/doc/afterglow COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides DESTINATION ${SHARE}/lintian/overrides
  RENAME afterglow COMPONENT debian EXCLUDE_FROM_ALL)

# The portable layout: only the archive asks for it.
install_afterglow(. . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME afterglow)
set(CPACK_PACKAGE_VENDOR "The Afterglow developers")
set(CPACK_PACKAGE_CONTACT "Afterglow developers <afterglow@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music-synchronised real-time 3D presentation")
# Lines of at most 80 columns, as the package's description is shown.
set(CPACK_PACKAGE_DESCRIPTION "Eleven animated scenes drawn with OpenGL 2.0, timed frame by frame against
one piece of music that is the only clock. It plays full screen for just over
four minutes and ends by itself. Dev mode pauses, seeks and steps through it;
without a display it renders single frames, numbered pictures or a video.")
set(CPACK_PACKAGE_FILE_NAME afterglow-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A package of the release, not the release itself: its own changelog counts
# from revision 1 (cmake/debian/changelog's top entry).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${AFTERGLOW_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link, as the packages that hold them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Captures run ffmpeg; afterglow-render-farm runs GNU parallel (and rsync
# to bring parts back from other machines).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, parallel, rsync")
# Stripped as Debian's packaging does it (cmake/package_strip.cmake), not
# by CPack's plain strip, which leaves the .comment and .note sections.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_strip.cmake)
set(CPACK_AFTERGLOW_STRIP ${CMAKE_STRIP})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_generator.cmake)
set(CPACK_AFTERGLOW_BUILD_DIR ${CMAKE_BINARY_DIR})
include(CPack)
