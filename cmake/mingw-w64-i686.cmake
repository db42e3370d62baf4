# Cross toolchain: 32-bit Windows (the release stub's target) through
# MinGW-w64's posix-threads compilers. This build is compiled and linked but
# not executed: the development kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVLIN_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
