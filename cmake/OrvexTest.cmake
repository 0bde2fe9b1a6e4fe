# orvex_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <l...>])
# One Qt Test executable per unit. Every test runs offscreen (Windows: see below) with a settings folder of its own,
# so no test reads or writes the user's real configuration (tests/support/IsolatedHome.cpp does
# the same when a test executable is started by hand).
#
# The Windows build leaves out the tests that need POSIX (ORVEX_POSIX_ONLY_TESTS, set in
# tests/CMakeLists.txt with the reasons) and those of a library it does not build.
function(orvex_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(WIN32)
    if(name IN_LIST ORVEX_POSIX_ONLY_TESTS)
      return()
    endif()
    foreach(_lib IN LISTS T_LIBS)
      if(_lib MATCHES "^orvex_" AND NOT TARGET ${_lib})
        return()
      endif()
    endforeach()
  endif()
  if(WIN32)
    set(_home ${PROJECT_SOURCE_DIR}/tests/support/IsolatedHomeWin32.cpp)
  else()
    set(_home ${PROJECT_SOURCE_DIR}/tests/support/IsolatedHome.cpp)
  endif()
  add_executable(${name} ${T_SOURCES} ${_home})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(ORVEX_SANITIZE)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 3") # instrumented code runs a few times slower
  endif()
  if(WIN32)
    # Under Wine every pass of the event loop asks the Windows server, and every window shown
    # goes through its X11 driver: a test that shows windows runs many times slower (the
    # firmware page's 1.4 s take about 70 s on Wine's windows).
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
  endif()
  # Windows: the system's own platform plugin, so that fonts and their metrics are Windows'
  # (offscreen on Windows finds no font at all); Wine shows its windows on the X display that
  # scripts/test-windows gives it.
  if(WIN32)
    set(_platform windows)
  else()
    set(_platform offscreen)
  endif()
  set(cfg ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${cfg})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=${_platform};XDG_CONFIG_HOME=${cfg}/config;XDG_DATA_HOME=${cfg}/data;HOME=${cfg};${ORVEX_SANITIZER_ENV}")
endfunction()
