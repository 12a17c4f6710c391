# The setup program for Windows users, beside the ZIP: cpack in a Windows
# build folder makes both (the ZIP and yuchanqi-<version>-<arch>-setup.exe).
# Included by the top CMakeLists.txt before include(CPack). The installer
# script is resources/windows/NSIS.template.in, which CPack's NSIS generator
# finds on CMAKE_MODULE_PATH, fills in and hands to makensis (Debian's nsis).
list(APPEND CPACK_GENERATOR NSIS)
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/resources/windows)

# The shipped x86 program gets the x86 stub; the x86-64 build, tested where
# 32-bit programs cannot run, gets the same installer with the amd64 stub.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_YUCHANQI_NSIS_TARGET amd64-unicode)
else()
  set(CPACK_YUCHANQI_NSIS_TARGET x86-unicode)
endif()

# Names and version, from the project's one version number and the program's
# own texts: the window caption (what the setup looks for to see whether the
# program runs) is read from the controls table's header.
set(CPACK_NSIS_PACKAGE_NAME "Tavoren预产期计算器")
set(CPACK_NSIS_DISPLAY_NAME "预产期计算器")
file(STRINGS ${PROJECT_SOURCE_DIR}/window/form_layout.h _caption_line ENCODING UTF-8 REGEX "kWindowCaption = \"")
string(REGEX REPLACE ".*kWindowCaption = \"([^\"]*)\".*" "\\1" CPACK_YUCHANQI_WINDOW_CAPTION
       "${_caption_line}")
if(CPACK_YUCHANQI_WINDOW_CAPTION STREQUAL "" OR CPACK_YUCHANQI_WINDOW_CAPTION STREQUAL _caption_line)
  message(FATAL_ERROR "No window caption in window/form_layout.h")
endif()
set(CPACK_YUCHANQI_DISPLAY_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
# The setup's version record takes four numbers, as the program's does.
set(CPACK_YUCHANQI_FOUR_PART_VERSION ${YUCHANQI_FOUR_PART_VERSION})
# As the version record of the program writes it: "1.00".
if(PROJECT_VERSION_MINOR LESS 10)
  set(CPACK_YUCHANQI_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR})
else()
  set(CPACK_YUCHANQI_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
endif()
set(CPACK_YUCHANQI_COPYRIGHT "Copyright © 2011 ${CPACK_PACKAGE_VENDOR}")
set(CPACK_YUCHANQI_ICON ${PROJECT_SOURCE_DIR}/resources/icon/yuchanqi.ico)
set(CPACK_YUCHANQI_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

# makensis stores each packed file's time: the staged files are given the
# time of the last commit (SOURCE_DATE_EPOCH) before it runs.
list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/windows-setup-file-times.cmake)

# Signed builds sign the uninstaller once makensis has made it, before it is
# packed into the setup (NSIS 3.08's !uninstfinalize), and the setup once
# made (!finalize), with the step that signs the program; a signing that
# fails stops makensis, and cpack then delivers no setup. Unsigned, the
# script is empty.
set(CPACK_YUCHANQI_CMAKE ${CMAKE_COMMAND})
if(YUCHANQI_SIGNING)
  set(CPACK_YUCHANQI_SIGN_SCRIPT ${YUCHANQI_SIGN_SCRIPT})
else()
  set(CPACK_YUCHANQI_SIGN_SCRIPT "")
endif()
