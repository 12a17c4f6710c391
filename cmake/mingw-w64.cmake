# What both Windows toolchains share: Debian's mingw-w64 (POSIX threads
# variant) for the target set in YUCHANQI_MINGW_TARGET, the runtimes linked
# into each program, and its tests run under Wine of the same bitness.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${YUCHANQI_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${YUCHANQI_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${YUCHANQI_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${YUCHANQI_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes go into each program: it needs no DLL of ours.
# No link time in the file header: one commit builds to the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh;${YUCHANQI_WINE_ARCH}")
