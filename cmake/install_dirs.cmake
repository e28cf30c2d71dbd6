# Where an installed copy keeps its data, for the program's data lookup:
# relative to the installed executable's folder (a copy installed under any
# prefix finds its own data) and under the prefix configured here.
include(GNUInstallDirs)
set(AFTERGLOW_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/afterglow)
file(RELATIVE_PATH AFTERGLOW_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/afterglow)
add_compile_definitions(
  AFTERGLOW_DATA_FROM_BIN="${AFTERGLOW_DATA_FROM_BIN}"
  AFTERGLOW_INSTALLED_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/afterglow")
