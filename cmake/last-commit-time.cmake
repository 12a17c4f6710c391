# Where SOURCE_DATE_EPOCH is not set, sets it in the environment to the time
# of the last commit of the tree at YUCHANQI_SOURCE_DIR: the time every file
# in the packages carries, and the time the signatures are made at, so that
# two builds of one commit give the same bytes. Included by cpack's options
# (cpack-project-options.cmake.in) and by the signing step (sign-file.cmake.in).
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${YUCHANQI_SOURCE_DIR}"
    OUTPUT_VARIABLE _last_commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(_last_commit MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${_last_commit}")
  endif()
endif()
