# Release builds (the release-* presets): no tests, and the maker's publisher certificate required,
# so that no test publisher is ever pinned in a binary handed out. With the maker's private key
# (KESTREL_SIGNING_KEY, PEM) the Windows binaries and the installers are signed with osslsigncode
# under that same certificate.
option(KESTREL_RELEASE "A release build: no tests, the maker's publisher certificate pinned" OFF)
set(KESTREL_SIGNING_KEY "" CACHE FILEPATH "PEM private key of KESTREL_PUBLISHER_CERT, to sign the binaries and installers")

if(KESTREL_RELEASE)
  if(NOT KESTREL_PUBLISHER_CERT)
    message(FATAL_ERROR "A release build needs the maker's certificate: -DKESTREL_PUBLISHER_CERT=PEM")
  endif()
  if(KESTREL_TESTS OR KESTREL_FUZZ)
    message(FATAL_ERROR "A release build builds no tests: -DKESTREL_TESTS=OFF")
  endif()
endif()
if(KESTREL_SIGNING_KEY)
  find_program(KESTREL_OSSLSIGNCODE osslsigncode REQUIRED)
  if(NOT KESTREL_PUBLISHER_CERT)
    message(FATAL_ERROR "Signing needs the certificate of the key as well: -DKESTREL_PUBLISHER_CERT=FILE.pem")
  endif()
endif()
