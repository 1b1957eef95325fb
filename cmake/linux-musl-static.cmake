# A static Linux program against musl (Debian: musl-tools): no program
# interpreter, no shared libraries, so it runs on any x86-64 Linux.
#
# musl ships as a specs file for the system compiler. libstdc++'s C++ headers
# do not compile against musl's, so the product reaches the C library through
# the C headers alone, and the link goes through the C driver: the program
# needs no C++ runtime, and this build proves it.
set(KOLBEX_MUSL_SPECS /usr/lib/x86_64-linux-musl/musl-gcc.specs)
if(NOT EXISTS ${KOLBEX_MUSL_SPECS})
  message(FATAL_ERROR "musl not found (${KOLBEX_MUSL_SPECS}); Debian: musl-tools")
endif()

set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_FLAGS_INIT "-specs=${KOLBEX_MUSL_SPECS} -nostdinc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CXX_LINK_EXECUTABLE
  "${CMAKE_C_COMPILER} <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
