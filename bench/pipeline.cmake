# The read-and-hash pipeline on a cached file, a Windows program run under
# Wine by bench/run-pipeline.sh.
if(WIN32)
  add_executable(pipeline_bench ${CMAKE_CURRENT_LIST_DIR}/pipeline_win32.cpp)
  corvana_target_defaults(pipeline_bench)
  target_link_libraries(pipeline_bench PRIVATE corvana_pipeline)
endif()
