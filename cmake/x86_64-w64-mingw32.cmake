# The same Windows program built for x86-64, tested under 64-bit Wine: it
# runs on build hosts that cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(YUCHANQI_MINGW_TARGET x86_64-w64-mingw32)
set(YUCHANQI_WINE_ARCH win64)
set(YUCHANQI_PE_MACHINE x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
