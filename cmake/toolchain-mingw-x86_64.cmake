# Cross-compile the Windows programs with MinGW-w64 (64-bit).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_XP_VERSION 5.2)  # 64-bit Windows XP is Windows 5.2
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
