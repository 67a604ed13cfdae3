# cmake -DROOT=<source folder> -P CheckLayerIncludes.cmake
# Fails, naming each file and include, when a layer's folder includes from a layer above it. The
# layers from the bottom up, as the README's Layout lists them: each may include its own headers
# and those of the layers below it, so the logging path never reaches up into the windows or the
# start-up code.
set(layers core comms events archive remote ui app)

set(found "")
list(LENGTH layers count)
math(EXPR below_top "${count} - 2")
foreach(rank RANGE ${below_top})
  list(GET layers ${rank} layer)
  math(EXPR next "${rank} + 1")
  list(SUBLIST layers ${next} -1 above)
  list(JOIN above "|" above_pattern)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.h.in)
  list(SORT files)
  foreach(file IN LISTS files)
    file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*(${above_pattern})/")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "[<\"][^>\"]*[>\"]" included "${line}")
      string(REGEX MATCH "(${above_pattern})/" upper "${included}")
      message("${file} includes ${included} from ${upper}, a layer above ${layer}/")
      list(APPEND found ${file})
    endforeach()
  endforeach()
endforeach()

if(found)
  list(JOIN layers " < " order)
  message(FATAL_ERROR "A layer includes from one above it (layers from the bottom: ${order}); move the code "
                      "down or hand it in from above.")
endif()
