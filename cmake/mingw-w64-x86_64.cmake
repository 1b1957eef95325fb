# The 64-bit Windows program. It runs under Wine's 64-bit loader, which
# Debian keeps off PATH in Wine's library folder; the launcher would try the
# 32-bit loader first.
set(KOLBEX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(KOLBEX_WINE NAMES wine64
  PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine /usr/lib64/wine /opt/wine-stable/bin)
if(KOLBEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KOLBEX_WINE})
endif()
