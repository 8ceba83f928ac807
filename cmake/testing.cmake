# corvana_add_test(NAME SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [TIMEOUT s])
# One GoogleTest program, registered as one CTest test. In a Windows build the
# program runs under Wine through the cross-compiling emulator.
function(corvana_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  corvana_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    CORVANA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    CORVANA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# corvana_add_dpi_test(NAME PROGRAM FILTER)
# The cases of the test program PROGRAM that FILTER (a GoogleTest filter)
# selects, registered as NAME to run in a Wine prefix of its own: they change
# the system DPI, a setting of the whole prefix that every process started
# there would see. The cases skip themselves elsewhere (CORVANA_OWN_PREFIX).
function(corvana_add_dpi_test name program filter)
  add_test(NAME ${name} COMMAND ${program} --gtest_filter=${filter})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS window
    ENVIRONMENT "WINEPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wineprefix-${name};CORVANA_OWN_PREFIX=1")
endfunction()
