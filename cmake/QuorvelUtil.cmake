# Util::Util: the C library's libutil, for openpty(), on whose pseudo-terminals the simulator, the
# benchmarks and the tests play serial lines.
find_library(QUORVEL_UTIL_LIBRARY util)
if(QUORVEL_UTIL_LIBRARY)
  include(CheckLibraryExists)
  check_library_exists(${QUORVEL_UTIL_LIBRARY} openpty "" QUORVEL_UTIL_HAS_OPENPTY)
endif()
if(NOT QUORVEL_UTIL_HAS_OPENPTY)
  message(FATAL_ERROR "No libutil with openpty() found (Debian: libc6-dev)")
endif()
add_library(Util::Util UNKNOWN IMPORTED)
set_target_properties(Util::Util PROPERTIES IMPORTED_LOCATION ${QUORVEL_UTIL_LIBRARY})
