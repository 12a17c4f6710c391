# Run by cpack once it has made a package and before it copies it beside the
# others: SHA256SUMS in that folder gets the package's SHA-256, in the form
# `sha256sum -c SHA256SUMS` reads ("<hash>  <name>", sorted by name, LF line
# ends), and keeps the lines of the other packages still there (the ZIP and
# the setup program are made by two runs of cpack, or by one with both).
# Nothing in it depends on the time or the folder: two builds of one commit
# give the same SHA256SUMS.
set(_folder "${CPACK_OUTPUT_FILE_PREFIX}")
if(NOT _folder)
  set(_folder "${CPACK_PACKAGE_DIRECTORY}")
endif()
set(_sums "${_folder}/SHA256SUMS")

# name -> file to hash: the packages made now, from where cpack made them;
# the others listed, from beside SHA256SUMS, while they are there.
set(_names)
foreach(_package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(_name "${_package}" NAME)
  list(APPEND _names "${_name}")
  set("_file_${_name}" "${_package}")
endforeach()
if(EXISTS "${_sums}")
  file(STRINGS "${_sums}" _lines ENCODING UTF-8)
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^[0-9a-f]+  (.+)$")
      set(_name "${CMAKE_MATCH_1}")
      if(NOT DEFINED "_file_${_name}" AND EXISTS "${_folder}/${_name}")
        list(APPEND _names "${_name}")
        set("_file_${_name}" "${_folder}/${_name}")
      endif()
    endif()
  endforeach()
endif()
list(SORT _names)

set(_text "")
foreach(_name IN LISTS _names)
  file(SHA256 "${_file_${_name}}" _hash)
  string(APPEND _text "${_hash}  ${_name}\n")
endforeach()
file(WRITE "${_sums}" "${_text}")
message(STATUS "SHA256SUMS: ${_sums}")
