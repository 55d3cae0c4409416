# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads), tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
# The posix flavour: its C++ library has std::thread and std::mutex (over winpthreads).
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's `wine` is a script that falls back to the 64-bit loader when 32-bit Wine is absent;
# the loader itself serves when the script is not installed.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TALLYGLASS_WINE NAMES wine wine64 PATHS /usr/lib/wine)
  if(TALLYGLASS_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLYGLASS_WINE})
  endif()
endif()
