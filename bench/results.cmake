# The results window filled with 100,000 rows and sorted by each column, a
# Windows program run under Wine by bench/run-results.sh.
if(WIN32 AND TARGET corvana_results)
  add_executable(results_bench ${CMAKE_CURRENT_LIST_DIR}/results_win32.cpp
    ${CMAKE_SOURCE_DIR}/verifier/report_win32.cpp ${CMAKE_SOURCE_DIR}/verifier/run_window_win32.cpp
    $<TARGET_OBJECTS:corvana_resources>)
  corvana_target_defaults(results_bench)
  target_link_libraries(results_bench PRIVATE corvana_results corvana_verifier_core)
endif()
