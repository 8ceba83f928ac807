# corvana_wine_prefix(NAME OUT): the Wine prefix of the test NAME, a clone of
# the build's template prefix made on the test's first Wine program. Tests in
# prefixes of their own may run side by side: each has its own registry,
# wineserver, desktop and C: drive.
function(corvana_wine_prefix name out)
  set(${out} ${CMAKE_BINARY_DIR}/wineprefixes/${name} PARENT_SCOPE)
endfunction()

# corvana_wine_run(NAME OUT): the command that runs a Windows program in the
# prefix of the test NAME (for tests that are scripts calling Wine themselves).
function(corvana_wine_run name out)
  corvana_wine_prefix(${name} prefix)
  set(${out} ${CMAKE_SOURCE_DIR}/scripts/wine-run --template ${CORVANA_WINE_TEMPLATE} --prefix
      ${prefix} PARENT_SCOPE)
endfunction()

# corvana_wine_test(NAME): the test NAME, a script, finds the template prefix
# in its environment; its own prefix comes from corvana_wine_prefix.
function(corvana_wine_test name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
    "CORVANA_WINE_TEMPLATE=${CORVANA_WINE_TEMPLATE}")
endfunction()

# corvana_add_test(NAME SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [TIMEOUT s]
#                   [SHARDS n] [COST c])
# One GoogleTest program, registered as one CTest test, or as n tests NAME_0 ...
# that each run every n-th case (GoogleTest's own sharding), so that a long
# program's cases run side by side. In a Windows build the program runs under
# Wine, each test in its own prefix. COST puts long tests first in a run that
# has no timings yet (a fresh clone), so that they do not start last.
function(corvana_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  corvana_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    CORVANA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    CORVANA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # A test program needs no more than -O1: it compiles in half the time of
    # the deliverables' -O3, and what it checks is the code it links.
    target_compile_options(${name} PRIVATE -O1)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  if(NOT T_SHARDS)
    set(T_SHARDS 1)
  endif()
  set(tests)
  if(T_SHARDS EQUAL 1)
    if(CMAKE_CROSSCOMPILING)
      corvana_wine_run(${name} emulator)
      set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR ${emulator})
    endif()
    add_test(NAME ${name} COMMAND ${name})
    list(APPEND tests ${name})
  else()
    math(EXPR last "${T_SHARDS} - 1")
    foreach(i RANGE ${last})
      set(command $<TARGET_FILE:${name}>)
      if(CMAKE_CROSSCOMPILING)
        corvana_wine_run(${name}_${i} emulator)
        set(command ${emulator} ${command})
      endif()
      add_test(NAME ${name}_${i} COMMAND ${command})
      set_tests_properties(${name}_${i} PROPERTIES
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${i}")
      list(APPEND tests ${name}_${i})
    endforeach()
  endif()
  foreach(test ${tests})
    set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT})
    # A display of its own too: windows, focus and the clipboard are the
    # display's, and a test side by side with another must not share them.
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT CORVANA_PRIVATE_DISPLAY=1)
    if(T_LABELS)
      set_tests_properties(${test} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_COST)
      set_tests_properties(${test} PROPERTIES COST ${T_COST})
    endif()
  endforeach()
endfunction()

# corvana_add_dpi_test(NAME PROGRAM FILTER)
# The cases of the test program PROGRAM that FILTER (a GoogleTest filter)
# selects, registered as NAME to run in a Wine prefix of their own: they
# change the system DPI, a setting of the whole prefix that every process
# started there would see. The cases skip themselves in the program's other
# runs (CORVANA_OWN_PREFIX).
function(corvana_add_dpi_test name program filter)
  set(command $<TARGET_FILE:${program}> --gtest_filter=${filter})
  if(CMAKE_CROSSCOMPILING)
    corvana_wine_run(${name} emulator)
    set(command ${emulator} ${command})
  endif()
  add_test(NAME ${name} COMMAND ${command})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS window
    ENVIRONMENT "CORVANA_OWN_PREFIX=1;CORVANA_PRIVATE_DISPLAY=1")
endfunction()
