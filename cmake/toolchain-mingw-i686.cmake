# Cross-compile the Windows programs with MinGW-w64 (32-bit).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_XP_VERSION 5.1)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
