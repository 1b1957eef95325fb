# The static program for ARM64 Linux (see linux-musl.cmake). Other hosts
# run it under qemu's user-mode emulator (qemu-aarch64, Debian: qemu-user).
set(KOLBEX_MUSL_ARCH aarch64)
set(KOLBEX_MUSL_PACKAGES "musl-dev:arm64 clang lld gcc-aarch64-linux-gnu")
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
