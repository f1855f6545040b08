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

# kestrel_version_resource(TARGET FILE DESCRIPTION): a VERSIONINFO resource for the binary FILE
# ("Kestrel.dll") carrying KESTREL_VERSION, the project's one version, and KESTREL_MANUFACTURER.
function(kestrel_version_resource target version_file version_description)
  if(NOT KESTREL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "KESTREL_VERSION must be MAJOR.MINOR.PATCH, not '${KESTREL_VERSION}'")
  endif()
  set(version_commas "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},0")
  get_filename_component(version_name ${version_file} NAME_WE)
  get_filename_component(extension ${version_file} LAST_EXT)
  if(extension STREQUAL ".dll")
    set(version_type VFT_DLL)
  else()
    set(version_type VFT_APP)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# kestrel_sign(TARGET): with the maker's key (KESTREL_SIGNING_KEY and its certificate
# KESTREL_PUBLISHER_CERT), the binary is signed with osslsigncode (Authenticode, SHA-256) as it is built.
function(kestrel_sign target)
  if(NOT KESTREL_SIGNING_KEY)
    return()
  endif()
  find_program(KESTREL_OSSLSIGNCODE osslsigncode REQUIRED)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${KESTREL_OSSLSIGNCODE} sign -certs ${KESTREL_PUBLISHER_CERT} -key ${KESTREL_SIGNING_KEY} -h sha256
            -n Kestrel -in $<TARGET_FILE:${target}> -out $<TARGET_FILE:${target}>.signed
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.signed $<TARGET_FILE:${target}>
    COMMENT "Signing $<TARGET_FILE_NAME:${target}>" VERBATIM)
endfunction()
