# What the configure checks of the Windows build's settings:
#   - the manifest, configured as the build configures it, names the program
#     with four numbers whatever project() gives: 1.1 is 1.1.0.0; a number
#     above 65535 stops the configure with a message;
#   - a certificate given without a time-stamp service is warned of.
#   cmake -DSOURCE=<source folder> -DWORK=<folder> -P configure_test.cmake
include(${SOURCE}/cmake/four-part-version.cmake)
foreach(case "1.1|1.1.0.0" "1.0|1.0.0.0" "2|2.0.0.0" "1.2.3|1.2.3.0" "10.20.30.40|10.20.30.40" "1.65535|1.65535.0.0")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 given)
  list(GET case 1 expected)
  yuchanqi_configure_manifest(${SOURCE}/resources/yuchanqi.manifest.in ${WORK}/${given}.manifest ${given})
  file(READ ${WORK}/${given}.manifest text)
  string(REGEX MATCH "name=\"Tavoren.Yuchanqi\" version=\"([^\"]*)\"" found "${text}")
  if(NOT CMAKE_MATCH_1 STREQUAL expected)
    message(FATAL_ERROR "project(VERSION ${given}) gives manifest version '${CMAKE_MATCH_1}', not ${expected}")
  endif()
  message(STATUS "ok: project(VERSION ${given}) gives manifest version ${expected}")
endforeach()
foreach(given 1.70000 65536 1.0.0.123456789012345678901)
  file(WRITE ${WORK}/refused.cmake "include(${SOURCE}/cmake/four-part-version.cmake)\n"
                                   "yuchanqi_four_part_version(v ${given})\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -P ${WORK}/refused.cmake RESULT_VARIABLE failed ERROR_VARIABLE said)
  if(NOT failed OR NOT said MATCHES "65535")
    message(FATAL_ERROR "project(VERSION ${given}) was not refused with a message: ${said}")
  endif()
  message(STATUS "ok: project(VERSION ${given}) is refused")
endforeach()

file(WRITE ${WORK}/signing.cmake "set(PROJECT_BINARY_DIR ${WORK})\n"
                                 "include(${SOURCE}/cmake/windows-signing.cmake)\n")
file(WRITE ${WORK}/signer.p12 "")
file(WRITE ${WORK}/password.txt "")
file(CHMOD ${WORK}/password.txt PERMISSIONS OWNER_READ OWNER_WRITE)
# Without a time-stamp service the warning names time stamps; with one, no warning.
foreach(given "-DYUCHANQI_SIGN_TIMESTAMP_URL=" "-DYUCHANQI_SIGN_TIMESTAMP_URL=http://127.0.0.1/")
  set(warning "time stamp")
  if(given MATCHES "=.")
    set(warning "")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DYUCHANQI_SIGN_PKCS12=${WORK}/signer.p12
                          -DYUCHANQI_SIGN_PASSWORD_FILE=${WORK}/password.txt ${given} -P ${WORK}/signing.cmake
                  RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  string(REGEX REPLACE "[ \n]+" " " said "${said}")
  string(FIND "${said}" "time stamp" found)
  if(failed OR (warning AND found LESS 0) OR (NOT warning AND NOT found LESS 0))
    message(FATAL_ERROR "A certificate with '${given}' should warn of '${warning}', said: ${said}")
  endif()
  message(STATUS "ok: a certificate with '${given}' warns of '${warning}'")
endforeach()
