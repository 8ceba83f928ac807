# Many small files and a few large ones under Wine: the floor a Windows
# program pays per file, and the many-files engine alone, run by
# bench/run-many-files.sh.
if(WIN32)
  add_executable(many_files_bench ${CMAKE_CURRENT_LIST_DIR}/many_files_win32.cpp)
  corvana_target_defaults(many_files_bench)
  target_link_libraries(many_files_bench PRIVATE corvana_file_hasher)
endif()
