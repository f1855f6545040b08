# kestrel_embed_text(OUT_CPP SYMBOL FILE): turns a UTF-8 text file into a C++ source that defines
# `extern const char SYMBOL[]`, so that one resource file serves the core and the Windows resources.
function(kestrel_embed_text out_cpp symbol file)
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out_cpp} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
    VERBATIM)
endfunction()
