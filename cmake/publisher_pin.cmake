# The publisher whose signature a downloaded CAD plug-in installer must carry: the SHA-256 of its
# certificate's public key (DER SubjectPublicKeyInfo), compiled into the installer check.
#
# KESTREL_PUBLISHER_CERT names the publisher's certificate (PEM) for a release build. Left empty in
# a build with tests, a test publisher is made for this build directory alone (key and certificate
# under build/<preset>/test_publisher, never committed) and pinned, so that the tests can sign
# installers the add-in accepts; a build without tests and without a certificate pins nothing and
# refuses every downloaded installer.
set(KESTREL_PUBLISHER_CERT "" CACHE FILEPATH "PEM certificate of the CAD plug-in installer's publisher")

find_program(KESTREL_OPENSSL openssl)
set(KESTREL_TEST_PUBLISHER_DIR ${PROJECT_BINARY_DIR}/test_publisher)
set(KESTREL_PUBLISHER_PIN "")
set(publisher_cert "${KESTREL_PUBLISHER_CERT}")
set(KESTREL_TEST_PUBLISHER_PINNED OFF)
if(KESTREL_TESTS)
  if(NOT KESTREL_OPENSSL)
    message(FATAL_ERROR "openssl is needed to make the test publisher (scripts/setup installs it)")
  endif()
  set(test_cert ${KESTREL_TEST_PUBLISHER_DIR}/publisher.crt)
  if(NOT publisher_cert)
    set(publisher_cert ${test_cert})
    set(KESTREL_TEST_PUBLISHER_PINNED ON)
  endif()
  if(NOT EXISTS ${test_cert})
    file(MAKE_DIRECTORY ${KESTREL_TEST_PUBLISHER_DIR})
    execute_process(
      COMMAND ${KESTREL_OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 3650
              -subj "/CN=Kestrel test publisher (this build only)"
              -addext extendedKeyUsage=codeSigning
              -keyout ${KESTREL_TEST_PUBLISHER_DIR}/publisher.key -out ${test_cert}
      RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "openssl could not make the test publisher's certificate")
    endif()
  endif()
endif()
if(publisher_cert)
  execute_process(COMMAND ${KESTREL_OPENSSL} x509 -in ${publisher_cert} -noout -pubkey
                  COMMAND ${KESTREL_OPENSSL} pkey -pubin -outform DER
                  COMMAND ${KESTREL_OPENSSL} dgst -sha256 -r
                  OUTPUT_VARIABLE digest RESULT_VARIABLE read)
  string(REGEX MATCH "^[0-9a-f]+" KESTREL_PUBLISHER_PIN "${digest}")
  string(LENGTH "${KESTREL_PUBLISHER_PIN}" pin_length)
  if(NOT read EQUAL 0 OR NOT pin_length EQUAL 64)
    message(FATAL_ERROR "cannot read the public key of ${publisher_cert}")
  endif()
  # A test publisher's certificate is never pinned in a build without tests (a release).
  execute_process(COMMAND ${KESTREL_OPENSSL} x509 -in ${publisher_cert} -noout -subject OUTPUT_VARIABLE subject)
  if(NOT KESTREL_TESTS AND subject MATCHES "Kestrel test publisher")
    message(FATAL_ERROR "${publisher_cert} is a test publisher's certificate, which a build without tests never pins")
  endif()
endif()
