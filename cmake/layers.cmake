# The core in layers, one static library each, linked only downward; which
# folder may include which, and why, is LAYERS.md.
#
#   afterglow_assets    src/assets readers, decoder, maths: no GL, no SDL
#   afterglow_timeline  src/runtime timeline.cpp, clock_math.cpp: the clock
#   afterglow_gfx       src/gfx, on assets
#   afterglow_drawing   src/assets mesh_draw.cpp, particles.cpp,
#                       engine_textures.cpp: the models drawn, on gfx
#   afterglow_scenes    src/scenes, on drawing and timeline
#   afterglow_runtime   the rest of src/runtime but main.cpp, on everything
#
# afterglow_core is all of them, for the program, the tools and the tests.
# A static library links whatever is there, whichever way it points, so
# each layer below the runtime also links whole into an empty program of
# its own with nothing above it: a call that points up fails that link, and
# so the build. scripts/check-layers does the same for the #include lines.

pkg_check_modules(FFTW REQUIRED IMPORTED_TARGET fftw3f)
pkg_check_modules(GFX_DEPS REQUIRED IMPORTED_TARGET glew glu sdl2)
pkg_check_modules(RUNTIME_DEPS REQUIRED IMPORTED_TARGET sdl2 libmpg123 libpng glew glu x11 xrandr)

set(SRC ${CMAKE_SOURCE_DIR}/src)
set(DRAWING_SOURCES ${SRC}/assets/mesh_draw.cpp ${SRC}/assets/particles.cpp ${SRC}/assets/engine_textures.cpp)
set(TIMELINE_SOURCES ${SRC}/runtime/timeline.cpp ${SRC}/runtime/clock_math.cpp)
file(GLOB ASSETS_SOURCES CONFIGURE_DEPENDS ${SRC}/assets/*.cpp)
list(REMOVE_ITEM ASSETS_SOURCES ${DRAWING_SOURCES})
file(GLOB GFX_SOURCES CONFIGURE_DEPENDS ${SRC}/gfx/*.cpp)
file(GLOB SCENES_SOURCES CONFIGURE_DEPENDS ${SRC}/scenes/*.cpp)
file(GLOB RUNTIME_SOURCES CONFIGURE_DEPENDS ${SRC}/runtime/*.cpp)
list(REMOVE_ITEM RUNTIME_SOURCES ${SRC}/runtime/main.cpp ${TIMELINE_SOURCES})
# Everything but main() in one list, for the instrumented builds of the core
# (tests/CMakeLists.txt), which build it as one library.
set(CORE_SOURCES ${ASSETS_SOURCES} ${TIMELINE_SOURCES} ${GFX_SOURCES} ${DRAWING_SOURCES} ${SCENES_SOURCES}
  ${RUNTIME_SOURCES})

set(LAYER_CHECK_MAIN ${CMAKE_BINARY_DIR}/layer_check_main.cpp)
file(CONFIGURE OUTPUT ${LAYER_CHECK_MAIN} CONTENT "int main() { return 0; }\n")

# layer(NAME SOURCES... LINKS...): afterglow_NAME and its link check.
function(layer NAME)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(afterglow_${NAME} STATIC ${ARG_SOURCES})
  target_include_directories(afterglow_${NAME} PUBLIC ${SRC})
  target_link_libraries(afterglow_${NAME} PUBLIC ${ARG_LINKS})
  add_executable(layer-check-${NAME} ${LAYER_CHECK_MAIN})
  target_link_libraries(layer-check-${NAME} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,afterglow_${NAME}>")
endfunction()

layer(assets SOURCES ${ASSETS_SOURCES} LINKS Threads::Threads)
layer(timeline SOURCES ${TIMELINE_SOURCES} LINKS PkgConfig::FFTW)
layer(gfx SOURCES ${GFX_SOURCES} LINKS afterglow_assets PkgConfig::GFX_DEPS OpenGL::GL OpenGL::GLX OpenGL::EGL)
layer(drawing SOURCES ${DRAWING_SOURCES} LINKS afterglow_gfx)
layer(scenes SOURCES ${SCENES_SOURCES} LINKS afterglow_drawing afterglow_timeline)

# The top: nothing links it but the program, the tools and the tests.
add_library(afterglow_runtime STATIC ${RUNTIME_SOURCES})
target_include_directories(afterglow_runtime PUBLIC ${SRC} PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(afterglow_runtime PUBLIC AFTERGLOW_VERSION="${PROJECT_VERSION}")
target_link_libraries(afterglow_runtime PUBLIC afterglow_scenes PkgConfig::RUNTIME_DEPS GLUT::GLUT OpenGL::GL
  OpenGL::GLX Threads::Threads)

add_library(afterglow_core INTERFACE)
target_link_libraries(afterglow_core INTERFACE afterglow_runtime)
