# The read-and-hash pipeline and file-name resolution (Windows builds).
add_library(corvana_pipeline STATIC
  ${CMAKE_CURRENT_LIST_DIR}/name_resolution_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pipeline_win32.cpp)
target_include_directories(corvana_pipeline PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvana_pipeline PUBLIC corvana_hashing corvana_platform user32)
corvana_target_defaults(corvana_pipeline)
