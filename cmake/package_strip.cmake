# Run by cpack before each package is made (CPACK_PRE_BUILD_SCRIPTS): strips
# the programs in its staging folder as Debian's packaging does, symbols,
# the compiler's .comment and the .note section all gone. The build folder's
# own programs keep theirs for the debugger.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file ${staged})
  if(IS_SYMLINK ${file})
    continue()
  endif()
  file(READ ${file} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")  # an ELF file: one of the programs
    execute_process(COMMAND ${CPACK_AFTERGLOW_STRIP} --remove-section=.comment --remove-section=.note ${file}
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot strip ${file}")
    endif()
  endif()
endforeach()
