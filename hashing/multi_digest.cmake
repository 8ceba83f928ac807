# Every digest of one file from one read, the digests on threads of their own
# (Windows builds): the shell extension's "Checksums" page.
if(WIN32)
  add_library(corvana_multi_digest STATIC ${CMAKE_CURRENT_LIST_DIR}/multi_digest_win32.cpp)
  target_include_directories(corvana_multi_digest PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(corvana_multi_digest PUBLIC corvana_files_at_once corvana_platform)
  corvana_target_defaults(corvana_multi_digest)
endif()
