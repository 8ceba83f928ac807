# The "Checksums" page: AddPages through the built DLL and the all-digests
# hasher beside the file hasher, a Windows program run under Wine by
# bench/run-page.sh.
if(WIN32 AND TARGET CRVNShll)
  add_executable(page_bench ${CMAKE_CURRENT_LIST_DIR}/page_win32.cpp
    ${CMAKE_SOURCE_DIR}/tests/shellext/explorer_host_win32.cpp
    ${CMAKE_SOURCE_DIR}/tests/pipeline/test_files_win32.cpp)
  corvana_target_defaults(page_bench)
  target_include_directories(page_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(page_bench PRIVATE CORVANA_SHELLEXT_DLL="$<TARGET_FILE:CRVNShll>")
  target_link_libraries(page_bench PRIVATE corvana_multi_digest corvana_file_hasher
    corvana_platform ole32 shell32 uuid user32 advapi32 comctl32)
  add_dependencies(page_bench CRVNShll)
endif()
