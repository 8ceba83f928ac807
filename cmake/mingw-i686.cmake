# Cross-build for 32-bit Windows. It compiles and links in every run but cannot
# run here: this kernel has no 32-bit Linux support, so there is no 32-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CORVANA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
