# Where an installed copy keeps its data, for the program's data lookup:
# relative to the installed executable's folder (a copy installed under any
# prefix finds its own data) and under the prefix configured here. Only the
# lookup reads them, through a generated header, so a new prefix rebuilds
# one file.
include(GNUInstallDirs)
set(AFTERGLOW_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/afterglow)
file(RELATIVE_PATH AFTERGLOW_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/afterglow)
set(AFTERGLOW_INSTALLED_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/afterglow)
configure_file(${CMAKE_CURRENT_LIST_DIR}/install_paths.h.in ${CMAKE_BINARY_DIR}/generated/install_paths.h @ONLY)
