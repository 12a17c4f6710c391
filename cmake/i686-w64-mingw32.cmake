# The 32-bit Windows program we ship (PE32, i686), tested under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(YUCHANQI_MINGW_TARGET i686-w64-mingw32)
set(YUCHANQI_WINE_ARCH win32)
set(YUCHANQI_PE_MACHINE i386)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
