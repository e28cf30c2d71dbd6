# Gathers the seed corpora of the fuzz targets from the data folder and from
# files Debian packages ship (the assimp test models and their textures):
#   cmake -DDATA=<data folder> -DOUT=<corpus folder> -P seeds.cmake
# Nothing third-party is kept in the source tree; the copies live in the
# build folder. Names get a running number, as several folders share names.
set(DEBIAN_MODELS /usr/share/assimp/models)
file(REMOVE_RECURSE ${OUT})

function(gather TARGET)
  file(MAKE_DIRECTORY ${OUT}/${TARGET})
  set(n 0)
  foreach(source IN LISTS ARGN)
    math(EXPR n "${n} + 1")
    get_filename_component(name ${source} NAME)
    file(COPY_FILE ${source} ${OUT}/${TARGET}/${n}-${name})
  endforeach()
  list(LENGTH ARGN count)
  message(STATUS "fuzz seeds: ${count} for ${TARGET}")
endfunction()

file(GLOB data_images ${DATA}/Textures/*.jpg)
file(GLOB_RECURSE debian_images ${DEBIAN_MODELS}/*.jpg ${DEBIAN_MODELS}/*.JPG ${DEBIAN_MODELS}/*.jpeg)
gather(jpeg ${data_images} ${debian_images})

file(GLOB data_models ${DATA}/models/*)
file(GLOB_RECURSE debian_models ${DEBIAN_MODELS}/*.ase ${DEBIAN_MODELS}/*.ASE)
gather(ase_model ${data_models} ${debian_models})
gather(ase_shape ${data_models} ${debian_models})

file(WRITE ${OUT}/stamp "")
