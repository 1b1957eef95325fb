# Cross-builds the native Windows program with MinGW-w64 for
# KOLBEX_MINGW_ARCH (i686 or x86_64); included by the two toolchain files.
# The tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KOLBEX_MINGW_ARCH})

set(CMAKE_C_COMPILER ${KOLBEX_MINGW_ARCH}-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER ${KOLBEX_MINGW_ARCH}-w64-mingw32-g++)
set(CMAKE_RC_COMPILER ${KOLBEX_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KOLBEX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
