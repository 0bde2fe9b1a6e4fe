# orvex_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <l...>])
# One Qt Test executable per unit. Every test runs offscreen with a settings folder of its own,
# so no test reads or writes the user's real configuration (tests/support/IsolatedHome.cpp does
# the same when a test executable is started by hand).
function(orvex_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/IsolatedHome.cpp)
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(ORVEX_SANITIZE)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 3") # instrumented code runs a few times slower
  endif()
  set(cfg ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${cfg})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${cfg}/config;XDG_DATA_HOME=${cfg}/data;HOME=${cfg};${ORVEX_SANITIZER_ENV}")
endfunction()
