# GoogleTest: the system package natively; built from Debian's sources when cross-compiling.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Debian's sources define these aliases themselves in newer releases.
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
  if(NOT TARGET GTest::gmock)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/x86_programs.cmake)
endif()

# Whether this build's programs start on this machine: not a 32-bit Windows build's where the
# machine starts no 32-bit programs (cmake/x86_programs.cmake).
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT KESTREL_X86_PROGRAMS_RUN)
  set(KESTREL_BUILD_PROGRAMS_RUN OFF)
else()
  set(KESTREL_BUILD_PROGRAMS_RUN ON)
endif()

# kestrel_discover_tests(target [gtest_discover_tests options...]): the program's tests, listed by
# the program itself when the tests run; where this build's programs cannot start, one disabled
# test in their place, named after the program.
function(kestrel_discover_tests target)
  if(KESTREL_BUILD_PROGRAMS_RUN)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST ${ARGN})
  else()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES DISABLED TRUE)
  endif()
endfunction()

# kestrel_test_program(target [PRECOMPILED]): a test program's own code is optimised lightly (most
# of its compile time went to optimising assertion macros; the code under test keeps the build's
# level), and with PRECOMPILED, for programs of many sources, GoogleTest and the standard headers
# they all use are compiled once. Where this build's programs cannot start, the program is built
# only when asked for by name: its tests are disabled.
function(kestrel_test_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PRECOMPILED" "" "")
  if(NOT KESTREL_BUILD_PROGRAMS_RUN)
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O1>)
  endif()
  if(arg_PRECOMPILED)
    target_precompile_headers(${target} PRIVATE
      <gtest/gtest.h> <algorithm> <cmath> <functional> <map> <memory> <optional> <sstream> <string>
      <string_view> <vector>)
  endif()
endfunction()
