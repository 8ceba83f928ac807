# Looking selected files up in the lists beside them, with and without the
# per-command index, a Windows program run under Wine by
# bench/run-shell-lookup.sh.
if(WIN32)
  add_executable(shell_lookup_bench ${CMAKE_CURRENT_LIST_DIR}/shell_lookup_win32.cpp)
  corvana_target_defaults(shell_lookup_bench)
  target_link_libraries(shell_lookup_bench PRIVATE corvana_shell_lookup corvana_file_hasher)
endif()
