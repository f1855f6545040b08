# kestrel_cad_project(OUT): generates the CAD plug-in's VBA project (Project.dll) from the module
# sources in wendlekit/vba, the payload Wendlekit carries as resource CUSTOM/DLL.
set(KESTREL_WENDLEKIT_DIR ${CMAKE_CURRENT_LIST_DIR})
function(kestrel_cad_project out)
  find_program(KESTREL_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)
  set(modules inuse noone mod1 Nood)  # the order of the project's modules
  list(TRANSFORM modules PREPEND ${KESTREL_WENDLEKIT_DIR}/vba/)
  list(TRANSFORM modules APPEND .bas)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${KESTREL_PYTHON} ${KESTREL_WENDLEKIT_DIR}/tools/make_project.py ${out} ${modules}
    DEPENDS ${KESTREL_WENDLEKIT_DIR}/tools/make_project.py ${modules}
    COMMENT "VBA project of the CAD plug-in" VERBATIM)
endfunction()
