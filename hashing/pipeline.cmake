# The read-and-hash pipeline and file-name resolution (Windows builds). The
# entry-status messages are plain code and ride along in the same library.
add_library(corvana_pipeline STATIC
  ${CMAKE_CURRENT_LIST_DIR}/entry_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_resolution_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pipeline_win32.cpp)
target_include_directories(corvana_pipeline PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvana_pipeline PUBLIC corvana_hashing user32)
corvana_target_defaults(corvana_pipeline)
