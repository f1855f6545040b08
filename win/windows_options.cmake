# Build settings shared by the Windows binaries (Kestrel.dll, Hollin.exe, Wendlekit.exe).

# kestrel_windows_options(TARGET): Unicode entry points and API, Windows 7 as the oldest target, and
# static runtime libraries, so that a binary imports only system DLLs (a DLL loaded into the
# spreadsheet host must not need MinGW's runtime DLLs beside it).
function(kestrel_windows_options target)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0601 NOMINMAX)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-municode>)
  target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # .def names are undecorated; the i686 stdcall exports are _Name@N.
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endfunction()

# kestrel_c_and_cxx_options_only(): the compile options inherited by the calling directory apply to C
# and C++ only; windres, the resource compiler, accepts none of them.
function(kestrel_c_and_cxx_options_only)
  get_property(options DIRECTORY PROPERTY COMPILE_OPTIONS)
  list(TRANSFORM options REPLACE "^(.+)$" "$<$<COMPILE_LANGUAGE:C,CXX>:\\1>")
  set_property(DIRECTORY PROPERTY COMPILE_OPTIONS ${options})
endfunction()
