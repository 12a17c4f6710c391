# Authenticode signing of the Windows program, its setup program and the
# uninstaller the setup writes, with Debian's osslsigncode and SHA-256, when
# a certificate is given, with its key in a PKCS#12 file:
#   -DYUCHANQI_SIGN_PKCS12=<file>          the certificate and its key (PKCS#12)
# or on a token or in a signing service reached through PKCS#11:
#   -DYUCHANQI_SIGN_PKCS11_MODULE=<file>   the PKCS#11 module (a .so)
#   -DYUCHANQI_SIGN_PKCS11_KEY=<uri>       the key's PKCS#11 URI (pkcs11:...)
#   -DYUCHANQI_SIGN_CERTIFICATE=<file>     the certificate and its chain (PEM)
# and in both cases
#   -DYUCHANQI_SIGN_PASSWORD_FILE=<file>   the file holding the password (the
#                                          token's PIN), which osslsigncode
#                                          reads itself: the password is on no
#                                          command line and in no log
#   -DYUCHANQI_SIGN_TIMESTAMP_URL=<url>    a time-stamp server (RFC 3161), optional
# YUCHANQI_SIGN_TEST_CERTIFICATE=ON (tools/test.sh's Windows builds) signs, where
# no certificate is given, with a throwaway one made in the build folder for
# the tests (cmake/test-signing-certificate.cmake). With neither, nothing is
# signed and the build needs no osslsigncode.
#
# Sets YUCHANQI_SIGNING, YUCHANQI_SIGN_SCRIPT (cmake -DYUCHANQI_SIGN_FILE=<exe>
# -P it: signs the file in place) and YUCHANQI_SIGN_CA (what the tests verify
# the signatures against).
set(YUCHANQI_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file to sign the Windows program and its setup with")
set(YUCHANQI_SIGN_PKCS11_MODULE "" CACHE FILEPATH "PKCS#11 module of the token or service holding the signing key")
set(YUCHANQI_SIGN_PKCS11_KEY "" CACHE STRING "PKCS#11 URI of the signing key")
set(YUCHANQI_SIGN_CERTIFICATE "" CACHE FILEPATH "Certificate and chain (PEM) of the PKCS#11 signing key")
set(YUCHANQI_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of the PKCS#12 file or the token's PIN")
set(YUCHANQI_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (optional)")
option(YUCHANQI_SIGN_TEST_CERTIFICATE "Where no certificate is given, sign with a throwaway test certificate" OFF)

set(YUCHANQI_SIGNING OFF)
set(YUCHANQI_SIGN_CA "")
set(_pkcs12 ${YUCHANQI_SIGN_PKCS12})
set(_password_file ${YUCHANQI_SIGN_PASSWORD_FILE})
set(YUCHANQI_SIGN_PKCS11 "")
if(_pkcs12 OR YUCHANQI_SIGN_PKCS11_MODULE)
  if(_pkcs12)
    set(_needed YUCHANQI_SIGN_PKCS12)
    set(_what "with ${_pkcs12}")
  else()
    set(_needed YUCHANQI_SIGN_PKCS11_MODULE YUCHANQI_SIGN_CERTIFICATE)
    set(YUCHANQI_SIGN_PKCS11 ${YUCHANQI_SIGN_PKCS11_MODULE})
    set(_what "with the key ${YUCHANQI_SIGN_PKCS11_KEY} of ${YUCHANQI_SIGN_PKCS11_MODULE}")
    if(NOT YUCHANQI_SIGN_PKCS11_KEY MATCHES "^pkcs11:")
      message(FATAL_ERROR "YUCHANQI_SIGN_PKCS11_KEY: the key's PKCS#11 URI (pkcs11:...) is needed")
    endif()
  endif()
  foreach(_file IN LISTS _needed ITEMS YUCHANQI_SIGN_PASSWORD_FILE)
    if(NOT ${_file} OR NOT EXISTS "${${_file}}")
      message(FATAL_ERROR "Signing ${_what} needs ${_file}: '${${_file}}' does not exist")
    endif()
  endforeach()
  # What the tests verify against: the authorities the system trusts.
  set(YUCHANQI_SIGN_CA /etc/ssl/certs/ca-certificates.crt)
  # A signature without a time stamp is trusted only while the certificate
  # is valid: on the day it expires, every file signed with it turns
  # unsigned in Windows' eyes.
  if(NOT YUCHANQI_SIGN_TIMESTAMP_URL)
    message(WARNING "Signing ${_what} without a time stamp: the signatures stop verifying when the "
                    "certificate expires. Give a time-stamp service (RFC 3161), for instance your "
                    "certificate authority's, with -DYUCHANQI_SIGN_TIMESTAMP_URL=<url>.")
  endif()
elseif(YUCHANQI_SIGN_TEST_CERTIFICATE)
  set(YUCHANQI_TEST_CERTIFICATE_DIR ${PROJECT_BINARY_DIR}/test-signing)
  include(${CMAKE_CURRENT_LIST_DIR}/test-signing-certificate.cmake)
  set(_pkcs12 ${YUCHANQI_TEST_CERTIFICATE_DIR}/signer.p12)
  set(_password_file ${YUCHANQI_TEST_CERTIFICATE_DIR}/password.txt)
  set(YUCHANQI_SIGN_CA ${YUCHANQI_TEST_CERTIFICATE_DIR}/ca.pem)
  set(_what "with a throwaway test certificate (${YUCHANQI_TEST_CERTIFICATE_DIR}), not for release")
else()
  message(STATUS "Windows program and setup: unsigned (no certificate given, see docs/packaging.md)")
  return()
endif()

# makensis runs its signing commands through the shell (!finalize): a folder
# whose name the shell would read as more than a name is refused.
if("${PROJECT_BINARY_DIR}${CMAKE_COMMAND}" MATCHES "[\"$`\\!]")
  message(FATAL_ERROR "Signing the setup needs a build folder and a cmake whose paths hold none of \" $ ` \\ !: "
                      "${PROJECT_BINARY_DIR}, ${CMAKE_COMMAND}")
endif()
# A password the system's other users can read is no secret.
if(EXISTS "${_password_file}")
  execute_process(COMMAND stat -L -c %a "${_password_file}" OUTPUT_VARIABLE _mode OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(_mode MATCHES "[1-7]$|[1-7].$")
    message(WARNING "${_password_file} can be read by others (mode ${_mode}): chmod 600 it")
  endif()
endif()

find_program(YUCHANQI_OSSLSIGNCODE osslsigncode)
if(NOT YUCHANQI_OSSLSIGNCODE)
  message(FATAL_ERROR "Signing needs osslsigncode (Debian's osslsigncode)")
endif()
set(YUCHANQI_SIGNING ON)
if(YUCHANQI_SIGN_TIMESTAMP_URL)
  string(APPEND _what ", time-stamped by ${YUCHANQI_SIGN_TIMESTAMP_URL}")
endif()
message(STATUS "Windows program and setup: signed ${_what}")

# The signing step, with this build's settings written in.
set(YUCHANQI_SIGN_SCRIPT ${PROJECT_BINARY_DIR}/sign-file.cmake)
set(YUCHANQI_SIGN_OSSLSIGNCODE ${YUCHANQI_OSSLSIGNCODE})
set(YUCHANQI_SIGN_KEY ${_pkcs12})
set(YUCHANQI_SIGN_PASSWORD ${_password_file})
# What Windows shows as the signed program's description (no web site to name).
set(YUCHANQI_SIGN_DESCRIPTION "预产期计算器")
configure_file(${CMAKE_CURRENT_LIST_DIR}/sign-file.cmake.in ${YUCHANQI_SIGN_SCRIPT} @ONLY)
