# ORVEX_SANITIZE: a list of sanitizers for the whole build, e.g. "address,undefined" or "thread".
# Every error stops the program (no recovery), so a test that trips one fails. The tests get the
# suppression files in scripts/sanitizers/ through their environment (see orvex_add_test).
set(ORVEX_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined or thread")
set(ORVEX_SANITIZER_ENV "")
if(ORVEX_SANITIZE)
  set(_san_flags -fsanitize=${ORVEX_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_san_flags})
  add_link_options(${_san_flags})
  set(_supp ${PROJECT_SOURCE_DIR}/scripts/sanitizers)
  list(APPEND ORVEX_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:strict_init_order=1:check_initialization_order=1"
    "LSAN_OPTIONS=suppressions=${_supp}/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=${_supp}/ubsan.supp"
    "TSAN_OPTIONS=suppressions=${_supp}/tsan.supp:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1")
  message(STATUS "Sanitizers: ${ORVEX_SANITIZE}")
endif()

# ORVEX_FUZZ (clang only): the fuzz harnesses link libFuzzer, everything else is instrumented
# for its coverage. `make fuzz` configures a build folder of its own this way.
option(ORVEX_FUZZ "Build the fuzz harnesses with libFuzzer (needs clang)" OFF)
if(ORVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVEX_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
