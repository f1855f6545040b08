# Whether this machine starts 32-bit x86 programs, and with them Wine's 32-bit loader: a kernel can
# be built or booted without them, and then every start fails with "Exec format error". Sets
# KESTREL_X86_PROGRAMS_RUN. Where it is OFF, the tests that run a 32-bit program of the build are
# kept but disabled (ctest lists them as not run), and the x64 tests start Wine's 64-bit loader.
set(KESTREL_WINE32_LOADER /usr/lib/wine/wine)
execute_process(COMMAND ${KESTREL_WINE32_LOADER} --version RESULT_VARIABLE x86_status OUTPUT_QUIET ERROR_QUIET)
if(x86_status EQUAL 0)
  set(KESTREL_X86_PROGRAMS_RUN ON)
else()
  set(KESTREL_X86_PROGRAMS_RUN OFF)
  message(STATUS "This machine does not start 32-bit programs (${KESTREL_WINE32_LOADER}: ${x86_status}): "
                 "the tests that run them are disabled")
endif()
