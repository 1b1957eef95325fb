# Compiler and linker settings, as interface targets:
#   kolbex_build    everything built, tests included: warnings, sanitizers,
#                   fuzzing, and the hardening of the dynamic Linux build
#   kolbex_product  the product's code: no exceptions, no RTTI, and
#                   sections the linker can drop when nothing uses them
#   kolbex_program  the program's link
add_library(kolbex_build INTERFACE)
target_compile_options(kolbex_build INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual -Wformat=2 $<$<BOOL:${KOLBEX_WERROR}>:-Werror>)

# The fuzz targets run under the same sanitizers, with coverage for libFuzzer.
if(KOLBEX_SANITIZE OR KOLBEX_FUZZ)
  target_compile_options(kolbex_build INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kolbex_build INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(kolbex_build INTERFACE KOLBEX_SANITIZED=1)
endif()
if(KOLBEX_FUZZ)
  target_compile_options(kolbex_build INTERFACE -fsanitize=fuzzer-no-link)
endif()

# The dynamic Linux build is hardened as Debian builds its packages
# (dpkg-buildflags with hardening=+all: stack protector, fortify, full RELRO
# with bind-now, PIE) and with control-flow protection. Fortify needs an
# optimizing build.
set(KOLBEX_HARDENED OFF)
if(NOT WIN32 AND NOT KOLBEX_STATIC)
  set(KOLBEX_HARDENED ON)
  target_compile_options(kolbex_build INTERFACE
    -fPIE -fstack-protector-strong -fstack-clash-protection -fcf-protection
    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=3>)
endif()

# On Windows, data gets no sections of its own: GCC would put zeroed data
# in .data there rather than .bss, and four bytes of it took a 512-byte
# block of each program.
add_library(kolbex_product INTERFACE)
target_link_libraries(kolbex_product INTERFACE kolbex_build)
target_compile_options(kolbex_product INTERFACE
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffunction-sections
  $<$<NOT:$<BOOL:${WIN32}>>:-fdata-sections>)

# The Windows and static programs are built for size: their cost is
# start-up. Measured against -O3: the Windows programs 7,168 bytes against
# sizes at their limits; the static one 47 KB against 62 KB of its 64, for
# 3% more instructions a run. The Windows ones take -Oz, 180 bytes of x86
# code fewer than -Os, which kept them within their limits; the static one
# keeps -Os, whose instructions are its goal. The x64 program reaches its
# texts directly (the small code model), not through pointers that the
# loader relocates: it needs no relocation block, 512 bytes.
if(WIN32)
  target_compile_options(kolbex_product INTERFACE $<$<NOT:$<CONFIG:Debug>>:-Oz>
    $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},8>:-mcmodel=small>)
elseif(KOLBEX_STATIC)
  target_compile_options(kolbex_product INTERFACE $<$<NOT:$<CONFIG:Debug>>:-Os>)
endif()

# The program carries no C++ runtime library of its own at run time. The
# dynamic Linux build keeps the C library shared so that the clock can be
# faked in tests; the static one is the program for any Linux.
add_library(kolbex_program INTERFACE)
if(WIN32)
  # i686 symbols carry a leading underscore, x86_64 ones do not.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(entry _KolbexEntry)
  else()
    set(entry KolbexEntry)
  endif()
  target_link_options(kolbex_program INTERFACE
    -static-libstdc++ -static-libgcc -static -s -nostartfiles -Wl,--entry=${entry},--gc-sections)
elseif(KOLBEX_STATIC)
  target_link_options(kolbex_program INTERFACE -s -Wl,-O1,--gc-sections)
else()
  target_link_options(kolbex_program INTERFACE -static-libstdc++ -static-libgcc -pie -Wl,-z,relro,-z,now
    $<$<AND:$<CONFIG:Release>,$<NOT:$<BOOL:${KOLBEX_SANITIZE}>>>:-Wl,-O1,--as-needed,--gc-sections>)
endif()
