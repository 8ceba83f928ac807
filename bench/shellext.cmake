# List creation of the shell extension through InvokeCommand, a Windows
# program run under Wine by bench/run-shellext.sh. It hosts the built DLL the
# way the tests do.
if(WIN32 AND TARGET CRVNShll)
  add_executable(shellext_bench ${CMAKE_CURRENT_LIST_DIR}/shellext_win32.cpp
    ${CMAKE_SOURCE_DIR}/tests/shellext/explorer_host_win32.cpp
    ${CMAKE_SOURCE_DIR}/tests/pipeline/test_files_win32.cpp)
  corvana_target_defaults(shellext_bench)
  target_include_directories(shellext_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(shellext_bench PRIVATE CORVANA_SHELLEXT_DLL="$<TARGET_FILE:CRVNShll>")
  target_link_libraries(shellext_bench PRIVATE corvana_file_hasher corvana_platform ole32 shell32 uuid
    user32 advapi32)
  add_dependencies(shellext_bench CRVNShll)
endif()
