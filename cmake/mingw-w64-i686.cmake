# The 32-bit Windows program. Wine's launcher runs it with the 32-bit loader,
# which starts only where the host's kernel runs 32-bit programs.
set(KOLBEX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(KOLBEX_WINE NAMES wine)
if(KOLBEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KOLBEX_WINE})
endif()
