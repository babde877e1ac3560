# Cross toolchain shared by both flavours: Windows programs built on Debian with mingw-w64 in
# its win32 thread model. The including file sets ZENTA_TARGET (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZENTA_TARGET})
set(TOOLCHAIN_PREFIX ${ZENTA_TARGET}-w64-mingw32)

# Prefer the explicit win32-thread-model binaries: the posix ones pull in winpthreads,
# which imports GetTickCount64 and so breaks Windows XP.
find_program(ZENTA_CXX NAMES ${TOOLCHAIN_PREFIX}-g++-win32 ${TOOLCHAIN_PREFIX}-g++ REQUIRED)
find_program(ZENTA_CC NAMES ${TOOLCHAIN_PREFIX}-gcc-win32 ${TOOLCHAIN_PREFIX}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${ZENTA_CC})
set(CMAKE_CXX_COMPILER ${ZENTA_CXX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs every test program through wine, each in a throwaway prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run.sh)
