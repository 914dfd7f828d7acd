# Shared by the MinGW-w64 toolchain files, which set MINGW_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR and MINGW_XP_VERSION (the Windows XP of that
# processor, "major.minor") first.
#
# The win32 thread-model compilers: the posix ones link their thread
# library, which imports functions Windows XP does not have (GetTickCount64),
# and no program could start there. Their C++ library has no std::thread,
# std::mutex or std::condition_variable: the programs and tests use the
# Windows calls for threads.
#
# The shipped .exe files must not need any MinGW runtime DLL, and their
# headers ask for no newer Windows than XP (scripts/xp_floor_check.py
# checks both, and every import, in the test run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
string(REPLACE "." ";" xp_version ${MINGW_XP_VERSION})
list(GET xp_version 0 xp_major)
list(GET xp_version 1 xp_minor)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ \
-Wl,--major-subsystem-version,${xp_major},--minor-subsystem-version,${xp_minor} \
-Wl,--major-os-version,${xp_major},--minor-os-version,${xp_minor}")
