# Helpers shared by every layer's CMakeLists.txt.

# tavlin_library(NAME SOURCES ... [DEPS ...])
# One static library per layer; DEPS are the layers it may use.
function(tavlin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# tavlin_tests(LAYER SOURCES ... [DEPS ...])
# The tests of one layer form one executable, registered as one ctest test,
# so a cross build starts its emulator once per layer rather than per case.
function(tavlin_tests layer)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT TAVLIN_TESTS)
    return()
  endif()
  set(exe ${layer}_tests)
  add_executable(${exe} ${ARG_SOURCES})
  target_link_libraries(${exe} PRIVATE ${layer} ${ARG_DEPS} GTest::gtest_main)
  target_compile_definitions(${exe} PRIVATE TAVLIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${layer} COMMAND ${exe} --gtest_brief=1)
endfunction()

# tavlin_layer(NAME [DEPS ...] [TEST_DEPS ...])
# The usual shape of a layer: every .cpp of the folder (and its
# subfolders) goes into the library, every *_test.cpp into its tests.
function(tavlin_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB_RECURSE all CONFIGURE_DEPENDS
       RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(lib_sources)
  set(test_sources)
  foreach(src IN LISTS all)
    if(src MATCHES "_test\\.cpp$")
      list(APPEND test_sources ${src})
    else()
      list(APPEND lib_sources ${src})
    endif()
  endforeach()
  tavlin_library(${name} SOURCES ${lib_sources} DEPS ${ARG_DEPS})
  if(test_sources)
    tavlin_tests(${name} SOURCES ${test_sources} DEPS ${ARG_TEST_DEPS})
  endif()
endfunction()
