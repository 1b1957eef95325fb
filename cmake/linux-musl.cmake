# A static Linux program against musl for KOLBEX_MUSL_ARCH (x86_64 or
# aarch64): no program interpreter, no shared libraries, so it runs on any
# Linux of that architecture. Included by the two toolchain files.
#
# clang compiles for either architecture against Debian's musl for it
# (musl-dev, or musl-dev:arm64), lld links, and the architecture's own gcc
# lends its libgcc for the compiler's helper functions. libstdc++'s C++
# headers do not compile against musl's, so the product reaches the C
# library through the C headers alone and the link takes no C++ runtime:
# the program needs none, and this build proves it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${KOLBEX_MUSL_ARCH})

set(KOLBEX_MUSL_TRIPLE ${KOLBEX_MUSL_ARCH}-linux-musl)
set(KOLBEX_MUSL_LIB /usr/lib/${KOLBEX_MUSL_TRIPLE})
if(NOT EXISTS ${KOLBEX_MUSL_LIB}/libc.a)
  message(FATAL_ERROR "musl for ${KOLBEX_MUSL_ARCH} not found (${KOLBEX_MUSL_LIB}/libc.a); Debian: ${KOLBEX_MUSL_PACKAGES}")
endif()
execute_process(COMMAND ${KOLBEX_MUSL_ARCH}-linux-gnu-gcc -print-libgcc-file-name
  OUTPUT_VARIABLE KOLBEX_MUSL_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS "${KOLBEX_MUSL_LIBGCC}")
  message(FATAL_ERROR "no libgcc for ${KOLBEX_MUSL_ARCH}; Debian: ${KOLBEX_MUSL_PACKAGES}")
endif()

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${KOLBEX_MUSL_TRIPLE})
set(CMAKE_CXX_FLAGS_INIT "-nostdinc -nostdinc++ -isystem /usr/include/${KOLBEX_MUSL_TRIPLE}")
# The link takes the compile flags too; those for headers do nothing there.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fuse-ld=lld -Wno-unused-command-line-argument")
set(CMAKE_CXX_LINK_EXECUTABLE
  "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> -nostdlib ${KOLBEX_MUSL_LIB}/crt1.o ${KOLBEX_MUSL_LIB}/crti.o <OBJECTS> -o <TARGET> <LINK_LIBRARIES> ${KOLBEX_MUSL_LIB}/libc.a ${KOLBEX_MUSL_LIBGCC} ${KOLBEX_MUSL_LIB}/crtn.o")
