# Cross toolchain: 64-bit Windows through MinGW-w64's posix-threads compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVLIN_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# Tests of this build run under Wine.
find_program(TAVLIN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TAVLIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVLIN_WINE})
endif()
