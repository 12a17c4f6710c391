# Run by cpack after it has staged the files and before it packs them: for
# the setup program, every staged file gets the time SOURCE_DATE_EPOCH holds
# (the last commit's, see cpack-project-options.cmake.in), which makensis
# stores with the file, so that two builds of one commit give the same bytes.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
  return()
endif()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  return()  # not a git checkout, and no time given: the files keep the build's times
endif()
file(GLOB_RECURSE _staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(_file IN LISTS _staged)
  execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${_file}" RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "Cannot set the time of ${_file}")
  endif()
endforeach()
