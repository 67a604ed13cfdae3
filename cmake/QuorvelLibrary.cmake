# quorvel_add_library(<name> [DEPS <targets>...])
# Builds the static library of one source folder from every .cpp/.h in it, so adding a class
# to a layer needs no change here. The library offers the targets that link it its own folder
# and nothing else: `#include "core/X.h"` finds the header through the link
# <build>/layers/core/core -> <source>/core, so a layer that includes from one it does not link
# does not compile.
function(quorvel_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(include_dir ${PROJECT_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${include_dir})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include_dir}/${folder} SYMBOLIC)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A layer not written yet still takes part in the link graph.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${include_dir})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${include_dir})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
endfunction()

# quorvel_add_test(<name> SOURCES <files>... LIBS <targets>... [LABEL <label>])
# One Qt Test executable, run by CTest with the given label (unit, integration, widgets).
function(quorvel_add_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVEL_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
