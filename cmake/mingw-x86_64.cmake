# Cross-build for 64-bit Windows with Debian's MinGW-w64 GCC (posix thread model,
# which GoogleTest needs for std::mutex; linked statically, so the deliverables
# still need nothing beside system DLLs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVANA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
