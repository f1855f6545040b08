# Makes one MSI: cmake -DWIXL=... -DMSIBUILD=... -DSOURCE=kestrel.wxs -DGENERATED=DIR -DARCH=x86|x64
#   -DVERSION=... -DMANUFACTURER=... -DFILES="KestrelX86=PATH;Hollin=PATH;..." -DOUTPUT=Kestrel.msi
#   [-DOSSLSIGNCODE=... -DSIGN_CERT=PEM -DSIGN_KEY=PEM] -P make_msi.cmake
# wixl builds the database; msibuild then sets its code page and puts in the registry texts that
# are not ASCII (wixl cannot store them). The MSI appears under OUTPUT only when every step worked.
set(partial ${OUTPUT}.partial)
file(REMOVE ${partial})
set(defines -D Version=${VERSION} -D Manufacturer=${MANUFACTURER} -D Arch=${ARCH} -D Generated=${GENERATED})
# wixl takes a file's Source relative to its working folder (an absolute one it cannot find): it runs
# in the root folder.
foreach(file IN LISTS FILES)
  string(REGEX REPLACE "=/+" "=" file "${file}")
  list(APPEND defines -D ${file})
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY / RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    file(REMOVE ${partial})
    message(FATAL_ERROR "${what} failed (${result}): ${out}")
  endif()
endfunction()

run("wixl" ${WIXL} -a ${ARCH} ${defines} -o ${partial} ${SOURCE})
run("setting the MSI's code page" ${MSIBUILD} ${partial} -i ${GENERATED}/_ForceCodepage.idt)
# wixl writes HKMU (the installing scope's root) as 4 in the Registry table; Windows Installer's code is -1.
run("msibuild: HKMU" ${MSIBUILD} ${partial} -q "UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4")
file(STRINGS ${GENERATED}/texts.sql updates ENCODING UTF-8)
foreach(update IN LISTS updates)
  run("msibuild: ${update}" ${MSIBUILD} ${partial} -q "${update}")
endforeach()
if(SIGN_KEY)
  run("signing the MSI" ${OSSLSIGNCODE} sign -certs ${SIGN_CERT} -key ${SIGN_KEY} -h sha256 -n Kestrel
      -in ${partial} -out ${partial}.signed)
  file(RENAME ${partial}.signed ${partial})
endif()
file(RENAME ${partial} ${OUTPUT})
