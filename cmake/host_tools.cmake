# The generators of the Windows build (win/tools), built for the building machine in a build tree
# of their own (KESTREL_HOST_TOOLS_ONLY: the core and the tools, with the host's compiler,
# unoptimised), build/host-tools, which the cross builds share as they share build/win32: build them
# one after the other. A cross build never runs a program it builds itself: that would need Wine,
# and one of the loader's bitnesses, to start during the build.
#
# Sets KESTREL_COM_TABLES (the command that runs com_tables) and KESTREL_COM_TABLES_DEPENDS (what
# a custom command running it depends on). The tools are brought up to date on every build.
include(ExternalProject)
set(host_tools_dir ${PROJECT_SOURCE_DIR}/build/host-tools)
set(host_com_tables ${host_tools_dir}/win/tools/com_tables)
ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_tools_dir}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DKESTREL_HOST_TOOLS_ONLY=ON -DKESTREL_TESTS=OFF -DKESTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=
             -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
             -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_tools_dir} --target com_tables
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${host_com_tables}
  INSTALL_COMMAND "")
set(KESTREL_COM_TABLES ${host_com_tables} CACHE INTERNAL "Runs the com_tables tool")
set(KESTREL_COM_TABLES_DEPENDS host_tools ${host_com_tables} CACHE INTERNAL "What running com_tables depends on")
