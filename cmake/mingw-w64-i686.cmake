# Cross toolchain: 32-bit Windows (the release stub's target) through
# MinGW-w64's posix-threads compilers. This build is compiled and linked but
# not executed: the development kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVLIN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVLIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVLIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVLIN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
