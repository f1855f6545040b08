# The Debian package of the command-line tool (`cpack -G DEB` in a build folder, the cli preset's for a
# release): /usr/bin/kestrel, its manual page made from `kestrel --help` by help2man, the
# sample survey that `kestrel demo` runs on, and the copyright and changelog Debian asks for
# (a native package: its version has no Debian revision). The runtime dependencies are the
# packages of its shared libraries, found by dpkg-shlibdeps.
# Not in the sanitizer builds, whose tool is no package's.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  return()
endif()
find_program(KESTREL_HELP2MAN help2man)
find_program(KESTREL_GZIP gzip REQUIRED)

set(doc ${CMAKE_CURRENT_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${doc})
install(TARGETS kestrel RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/samples/survey.csv ${PROJECT_SOURCE_DIR}/samples/profile.csv
              ${PROJECT_SOURCE_DIR}/samples/crossfall.csv ${PROJECT_SOURCE_DIR}/samples/stations.csv
              ${PROJECT_SOURCE_DIR}/samples/road.tpl ${PROJECT_SOURCE_DIR}/samples/coordinates.csv
        DESTINATION share/kestrel/samples)

if(KESTREL_HELP2MAN)
  add_custom_command(OUTPUT ${doc}/kestrel.1.gz
    COMMAND ${KESTREL_HELP2MAN} --no-info --no-discard-stderr --section 1 --source "Kestrel ${KESTREL_VERSION}"
            --name "road cross-section tools on spreadsheet workbooks" --output ${doc}/kestrel.1 $<TARGET_FILE:kestrel>
    COMMAND ${KESTREL_GZIP} -9nf ${doc}/kestrel.1
    DEPENDS kestrel COMMENT "Manual page of kestrel, from its help" VERBATIM)
  add_custom_target(kestrel_manual ALL DEPENDS ${doc}/kestrel.1.gz)
  install(FILES ${doc}/kestrel.1.gz DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: the package will have no manual page (scripts/setup release installs it)")
endif()

string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(maintainer "${KESTREL_MANUFACTURER} <kestrel@corvane.com>")
file(WRITE ${doc}/changelog
     "kestrel (${KESTREL_VERSION}) unstable; urgency=medium\n\n  * Kestrel ${KESTREL_VERSION}.\n\n"
     " -- ${maintainer}  ${changelog_date}\n")
file(WRITE ${doc}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: kestrel\nSource: https://www.corvane.com/\n\n"
     "Files: *\nCopyright: 2026 ${KESTREL_MANUFACTURER}\nLicense: proprietary\n"
     " All rights reserved by the maker.\n")
add_custom_command(OUTPUT ${doc}/changelog.gz
  COMMAND ${KESTREL_GZIP} -9nkf ${doc}/changelog
  DEPENDS ${doc}/changelog VERBATIM)
add_custom_target(kestrel_package_changelog ALL DEPENDS ${doc}/changelog.gz)
install(FILES ${doc}/changelog.gz ${doc}/copyright DESTINATION share/doc/kestrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${KESTREL_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "road cross-section tools on spreadsheet workbooks")
# The synopsis is the summary above; this is the extended description, which CPack indents.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "kestrel sorts surveyed cross-section points into sections by station, writes\n"
    "the CAD command columns that draw every section (and the drawing as DXF, a\n"
    "script or a picture), prints cross-section sheets, computes design sections\n"
    "and their cut and fill areas, and builds volume sheets, on .xlsx and .csv\n"
    "workbooks. 'kestrel demo' runs the main job on the bundled sample survey.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese texts of the drawings and sheets are drawn in this font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.corvane.com/)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
