# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64, POSIX thread model). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRIMA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTRIMA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRIMA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRIMA_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW sysroot only; programs (cmake's
# own helpers, bash) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELTRIMA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the Windows test programs through Wine's 64-bit loader, which
# Debian installs outside PATH.
find_program(VELTRIMA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELTRIMA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRIMA_WINE64})
endif()
