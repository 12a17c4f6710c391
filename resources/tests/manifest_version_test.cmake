# The manifest's version has four numbers whatever project() gives: the
# manifest configured as the build configures it, for the versions below,
# names the program with the four numbers Windows needs.
#   cmake -DSOURCE=<source folder> -DWORK=<empty folder> -P manifest_version_test.cmake
include(${SOURCE}/cmake/four-part-version.cmake)

set(failed 0)
foreach(case "1.1=1.1.0.0" "1.0=1.0.0.0" "2=2.0.0.0" "1.2.3=1.2.3.0" "1.0.0.0=1.0.0.0" "10.20.30.40=10.20.30.40")
  string(REPLACE "=" ";" case "${case}")
  list(GET case 0 given)
  list(GET case 1 expected)
  set(manifest ${WORK}/yuchanqi-${given}.manifest)
  yuchanqi_configure_manifest(${SOURCE}/resources/yuchanqi.manifest.in ${manifest} ${given})
  file(READ ${manifest} text)
  string(REGEX MATCH "<assemblyIdentity type=\"win32\" name=\"Tavoren.Yuchanqi\" version=\"([^\"]*)\"" found "${text}")
  if(CMAKE_MATCH_1 STREQUAL expected)
    message(STATUS "ok: project(VERSION ${given}) gives manifest version ${expected}")
  else()
    message(STATUS "FAIL: project(VERSION ${given}) gives manifest version '${CMAKE_MATCH_1}', not ${expected}")
    set(failed 1)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "The manifest's version is not always four numbers")
endif()
