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

# kestrel_test_program(target [PRECOMPILED]): a test program's own code is optimised lightly (most
# of its compile time went to optimising assertion macros; the code under test keeps the build's
# level), and with PRECOMPILED, for programs of many sources, GoogleTest and the standard headers
# they all use are compiled once.
function(kestrel_test_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PRECOMPILED" "" "")
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O1>)
  endif()
  if(arg_PRECOMPILED)
    target_precompile_headers(${target} PRIVATE
      <gtest/gtest.h> <algorithm> <cmath> <functional> <map> <memory> <optional> <sstream> <string>
      <string_view> <vector>)
  endif()
endfunction()
