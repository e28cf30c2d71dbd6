# Where an installed copy keeps its programs and data: the games layout of
# Debian's policy, programs in games/ and data in share/games/afterglow
# (AFTERGLOW_INSTALL_BINDIR and AFTERGLOW_INSTALL_DATADIR change them, say to
# bin and share/afterglow for a prefix whose games/ is not on PATH). The
# program's data lookup finds the data relative to the installed
# executable's folder (a copy installed under any prefix finds its own) and
# under the prefix configured here, and still finds copies installed in the
# older layout (bin/ beside share/afterglow). Only the lookup reads these,
# through a generated header, so a new prefix rebuilds one file.
include(GNUInstallDirs)
set(AFTERGLOW_INSTALL_BINDIR games CACHE STRING "where the programs are installed, under the prefix")
set(AFTERGLOW_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/afterglow CACHE STRING
  "where the data folder is installed, under the prefix")
set(AFTERGLOW_OLD_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/afterglow)
file(RELATIVE_PATH AFTERGLOW_DATA_FROM_BIN ${CMAKE_INSTALL_PREFIX}/${AFTERGLOW_INSTALL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${AFTERGLOW_INSTALL_DATADIR})
file(RELATIVE_PATH AFTERGLOW_OLD_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${AFTERGLOW_OLD_INSTALL_DATADIR})
set(AFTERGLOW_INSTALLED_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${AFTERGLOW_INSTALL_DATADIR})
set(AFTERGLOW_OLD_INSTALLED_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${AFTERGLOW_OLD_INSTALL_DATADIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/install_paths.h.in ${CMAKE_BINARY_DIR}/generated/install_paths.h @ONLY)
# The sizes of the icon, each in the hicolor theme's folder of its size.
set(AFTERGLOW_ICON_SIZES 48 64 128 256)
