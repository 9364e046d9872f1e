# GoogleTest, built from Debian's sources for whichever target is configured,
# and add_gtest(): one CTest entry per test program (not per test case), which
# under Wine keeps the suite to one process start per program.

if(NOT BUILD_TESTING)
  return()
endif()

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows tests share one persistent wineserver and the build tree's prefix.
if(CMAKE_CROSSCOMPILING)
  set(WINE_FIXTURE ${PROJECT_SOURCE_DIR}/cmake/wine-fixture.sh)
  add_test(NAME wine.start COMMAND ${WINE_FIXTURE} start)
  add_test(NAME wine.stop COMMAND ${WINE_FIXTURE} stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# Marks a test as needing Wine when the build is for Windows.
function(uses_wine test)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# add_gtest(<name> SOURCES <files...> LIBS <targets...>)
function(add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  uses_wine(${name})
endfunction()
