# The static program for x86-64 Linux (see linux-musl.cmake).
set(KOLBEX_MUSL_ARCH x86_64)
set(KOLBEX_MUSL_PACKAGES "musl-dev clang lld gcc")
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
