# QUORVEL_FUZZ=ON builds the fuzz targets of tests/fuzz: everything, the libraries included, is
# then compiled with AddressSanitizer and UndefinedBehaviorSanitizer, and the targets link
# libFuzzer. It needs a compiler that has libFuzzer (clang with its runtime); use a build folder
# of its own (scripts/test.sh uses build-fuzz), the normal build stays unsanitized.
option(QUORVEL_FUZZ "Build the libFuzzer targets, everything compiled with ASan and UBSan" OFF)

if(QUORVEL_FUZZ)
  if(NOT BUILD_TESTING)
    message(FATAL_ERROR "QUORVEL_FUZZ builds the fuzz targets among the tests: leave BUILD_TESTING on")
  endif()
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer,address,undefined")
  check_cxx_source_compiles([=[
    #include <cstddef>
    #include <cstdint>
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
  ]=] QUORVEL_HAS_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT QUORVEL_HAS_LIBFUZZER)
    message(FATAL_ERROR "QUORVEL_FUZZ needs a compiler with libFuzzer, e.g. CC=clang CXX=clang++ "
                        "and Debian's libclang-rt-dev for its version")
  endif()
  # A finding of either sanitizer ends the run, so libFuzzer keeps the input that caused it.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
                      -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined)
endif()
