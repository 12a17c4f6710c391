# Windows names a program's version with four numbers, a.b.c.d: in the
# version record, in the setup's, and in the manifest, where it refuses to
# start a program whose assemblyIdentity has fewer (a side-by-side error).
# project() may give fewer: project(VERSION 1.1) is version 1.1.0.0 there.
# Included by the top CMakeLists.txt and by the test of the manifest
# (resources/tests/configure_test.cmake).

# Sets `out` to `version` (one to four numbers joined by points) with zeros
# added up to four numbers: 1.1 gives 1.1.0.0.
function(yuchanqi_four_part_version out version)
  if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    message(FATAL_ERROR "A version of one to four numbers joined by points was expected, not '${version}'")
  endif()
  string(REPLACE "." ";" parts "${version}")
  # Each number is 16 bits in the version record, and Windows refuses a
  # manifest with a number above 65535.
  foreach(part IN LISTS parts)
    string(LENGTH "${part}" digits)
    if(digits GREATER 5 OR part GREATER 65535)
      message(FATAL_ERROR "Version '${version}': each of its numbers must be 0 to 65535, "
                          "which Windows requires of a program's version; ${part} is not")
    endif()
  endforeach()
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN parts "." four)
  set(${out} "${four}" PARENT_SCOPE)
endfunction()

# Configures the program's manifest `output` from `input`, whose
# @YUCHANQI_FOUR_PART_VERSION@ is the four-part form of `version`.
function(yuchanqi_configure_manifest input output version)
  yuchanqi_four_part_version(YUCHANQI_FOUR_PART_VERSION "${version}")
  configure_file("${input}" "${output}" @ONLY)
endfunction()
