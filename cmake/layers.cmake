# The core in layers, one static library a folder, read from the table in
# LAYERS.md: its rows, bottom first, give each library's folder, what it is
# built on and which of its headers the libraries above may include. This
# file adds only what the table does not say: the system libraries each one
# links.
#
# Each library's include path is a folder of its own under build/layers/
# that holds links to its own headers (and those of the libraries it is
# built on, through them): an include that points up does not compile. Each
# library also links whole, with only what it is built on, into an empty
# program of its own (layer-check-NAME): a call that points up fails that
# link, and so the build.
#
# afterglow_core is all of them, for the program and the tools, and
# afterglow_core_internals the same with every header in view, for the
# tests; CORE_SOURCES lists their sources for the instrumented builds of
# tests/.

pkg_check_modules(FFTW REQUIRED IMPORTED_TARGET fftw3f)
pkg_check_modules(GFX_DEPS REQUIRED IMPORTED_TARGET glew glu sdl2)
pkg_check_modules(AUDIO_DEPS REQUIRED IMPORTED_TARGET sdl2 libmpg123)
pkg_check_modules(FRAME_DEPS REQUIRED IMPORTED_TARGET libpng glew glu x11 xrandr)

set(LAYER_LINKS_assets Threads::Threads)
set(LAYER_LINKS_timeline PkgConfig::FFTW)
# SDL for its signal hint: the sound library must not install handlers of its own.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
set(LAYER_LINKS_platform PkgConfig::SDL2)
# libGL holds both the GL and the GLX entry points: the program needs it
# (libgl1) and libEGL, not GLVND's libOpenGL and libGLX beside them, which
# CMake's OpenGL targets would bring in first.
pkg_check_modules(GL_DEPS REQUIRED IMPORTED_TARGET gl egl)
set(LAYER_LINKS_gfx PkgConfig::GL_DEPS PkgConfig::GFX_DEPS)
set(LAYER_LINKS_audio PkgConfig::AUDIO_DEPS Threads::Threads)
set(LAYER_LINKS_frame PkgConfig::FRAME_DEPS GLUT::GLUT)
set(LAYER_LINKS_offline PkgConfig::FRAME_DEPS GLUT::GLUT)
set(LAYER_LINKS_app GLUT::GLUT PkgConfig::FRAME_DEPS)

set(SRC ${CMAKE_SOURCE_DIR}/src)
set(LAYER_TABLE ${CMAKE_SOURCE_DIR}/LAYERS.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${LAYER_TABLE})
# The program's entry is not part of its library.
set(PROGRAM_MAIN ${SRC}/runtime/app/main.cpp)

set(LAYER_CHECK_MAIN ${CMAKE_BINARY_DIR}/layer_check_main.cpp)
file(CONFIGURE OUTPUT ${LAYER_CHECK_MAIN} CONTENT "int main() { return 0; }\n")

# Links the headers of FOLDER (relative to src/) into STAGE/FOLDER: those
# named in HEADERS, or all of them when HEADERS is "all".
function(stage_headers STAGE FOLDER HEADERS)
  file(GLOB headers CONFIGURE_DEPENDS ${SRC}/${FOLDER}/*.h)
  file(MAKE_DIRECTORY ${STAGE}/${FOLDER})
  foreach(header ${headers})
    get_filename_component(name ${header} NAME)
    if(HEADERS STREQUAL "all" OR name IN_LIST HEADERS)
      file(CREATE_LINK ${header} ${STAGE}/${FOLDER}/${name} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# The table's cells: `afterglow_x` and `a.h` lose their quotes, lists their commas.
function(table_cell ROW INDEX VAR)
  list(GET ROW ${INDEX} cell)
  string(REGEX REPLACE "[` ]" "" cell "${cell}")
  string(REPLACE "," ";" cell "${cell}")
  set(${VAR} "${cell}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/layers)
file(STRINGS ${LAYER_TABLE} rows REGEX "^\\| `afterglow_[a-z]+` \\|")
set(AFTERGLOW_LAYERS)
set(CORE_SOURCES)
foreach(row ${rows})
  string(REPLACE "|" ";" cells "${row}")
  table_cell("${cells}" 1 library)
  table_cell("${cells}" 2 folder)
  table_cell("${cells}" 3 builtOn)
  table_cell("${cells}" 4 seenAbove)
  string(REGEX REPLACE "^src/" "" folder "${folder}")
  string(REGEX REPLACE "^afterglow_" "" name "${library}")
  # The web platform library is for the browser only: web/CMakeLists.txt
  # builds it with emscripten, in place of the native run modes.
  if(folder STREQUAL "web")
    continue()
  endif()
  foreach(lower ${builtOn})
    if(NOT lower IN_LIST AFTERGLOW_LAYERS)
      message(FATAL_ERROR "LAYERS.md: ${library} is built on ${lower}, which is not a row above it")
    endif()
  endforeach()
  if(NOT IS_DIRECTORY ${SRC}/${folder})
    message(FATAL_ERROR "LAYERS.md: ${library}'s folder src/${folder} does not exist")
  endif()

  file(GLOB sources CONFIGURE_DEPENDS ${SRC}/${folder}/*.cpp)
  list(REMOVE_ITEM sources ${PROGRAM_MAIN})
  list(APPEND CORE_SOURCES ${sources})
  set(stage ${CMAKE_BINARY_DIR}/layers/${name})
  stage_headers(${stage}/public ${folder} "${seenAbove}")
  stage_headers(${stage}/all ${folder} all)

  add_library(${library} STATIC ${sources})
  target_include_directories(${library} PUBLIC ${stage}/public PRIVATE ${stage}/all)
  target_link_libraries(${library} PUBLIC ${builtOn} ${LAYER_LINKS_${name}})
  add_executable(layer-check-${name} ${LAYER_CHECK_MAIN})
  target_link_libraries(layer-check-${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
  list(APPEND AFTERGLOW_LAYERS ${library})
endforeach()
if(NOT AFTERGLOW_LAYERS)
  message(FATAL_ERROR "LAYERS.md: no rows of layer libraries found")
endif()

# What only the top needs: where an installed copy keeps its data, and the version.
target_include_directories(afterglow_app PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(afterglow_app PUBLIC AFTERGLOW_VERSION="${PROJECT_VERSION}")

# The program and the tools see what the top sees; the tests see every
# header of every library.
add_library(afterglow_core INTERFACE)
target_link_libraries(afterglow_core INTERFACE ${AFTERGLOW_LAYERS})
add_library(afterglow_core_internals INTERFACE)
target_link_libraries(afterglow_core_internals INTERFACE afterglow_core)
foreach(library ${AFTERGLOW_LAYERS})
  string(REGEX REPLACE "^afterglow_" "" name "${library}")
  target_include_directories(afterglow_core_internals INTERFACE ${CMAKE_BINARY_DIR}/layers/${name}/all)
endforeach()

# For the test that an include pointing up does not compile: each library's
# include path, as its own sources are compiled with it.
foreach(library ${AFTERGLOW_LAYERS})
  string(REGEX REPLACE "^afterglow_" "" name "${library}")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/layers/${name}/include-path
    CONTENT "$<JOIN:$<TARGET_PROPERTY:${library},INCLUDE_DIRECTORIES>,\n>\n")
endforeach()
