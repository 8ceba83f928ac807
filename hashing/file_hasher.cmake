# Many files at once: the per-file checksum over every algorithm, the
# decision of how many files go side by side and its setting (portable), and
# the engine with the storage question (Windows builds).
add_library(corvana_files_at_once STATIC
  ${CMAKE_CURRENT_LIST_DIR}/file_digest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files_at_once.cpp
  ${CMAKE_CURRENT_LIST_DIR}/threads_setting.cpp)
target_include_directories(corvana_files_at_once PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvana_files_at_once PUBLIC corvana_hashing)
corvana_target_defaults(corvana_files_at_once)

if(WIN32)
  add_library(corvana_file_hasher STATIC
    ${CMAKE_CURRENT_LIST_DIR}/file_hasher_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_at_once_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/seek_penalty_win32.cpp)
  target_include_directories(corvana_file_hasher PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(corvana_file_hasher PUBLIC corvana_files_at_once
    corvana_name_resolution corvana_platform)
  corvana_target_defaults(corvana_file_hasher)
endif()
