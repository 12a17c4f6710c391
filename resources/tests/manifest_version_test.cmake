# The manifest, configured as the build configures it, names the program
# with four numbers whatever project() gives: 1.1 is 1.1.0.0.
#   cmake -DSOURCE=<source folder> -DWORK=<folder> -P manifest_version_test.cmake
include(${SOURCE}/cmake/four-part-version.cmake)
foreach(case "1.1|1.1.0.0" "1.0|1.0.0.0" "2|2.0.0.0" "1.2.3|1.2.3.0" "10.20.30.40|10.20.30.40")
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
