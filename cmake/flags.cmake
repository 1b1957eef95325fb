# Compiler and linker flags shared by every target.

set(KOLBEX_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual -Wformat=2)
if(KOLBEX_WERROR)
  list(APPEND KOLBEX_WARNINGS -Werror)
endif()
add_compile_options(${KOLBEX_WARNINGS})

# The fuzz targets run under the same sanitizers, with coverage for libFuzzer.
if(KOLBEX_SANITIZE OR KOLBEX_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(KOLBEX_SANITIZED=1)
endif()
if(KOLBEX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# The product pays for nothing it does not use: no exceptions, no RTTI.
# The dynamic Linux build is hardened as Debian builds its packages
# (dpkg-buildflags with hardening=+all: stack protector, fortify, full RELRO
# with bind-now, PIE) and with control-flow protection. Fortify needs an
# optimizing build.
function(kolbex_product_flags target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
  if(NOT WIN32 AND NOT KOLBEX_STATIC)
    target_compile_options(${target} PRIVATE
      -fPIE -fstack-protector-strong -fstack-clash-protection -fcf-protection
      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=3>)
  endif()
endfunction()

# The program carries no C++ runtime library of its own at run time. The
# dynamic Linux build keeps the C library shared so that the clock can be
# faked in tests; the static one is the program for any Linux.
function(kolbex_program_flags target)
  if(WIN32)
    # i686 symbols carry a leading underscore, x86_64 ones do not.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(entry _KolbexEntry)
    else()
      set(entry KolbexEntry)
    endif()
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -static -s -nostartfiles
      -Wl,--entry=${entry})
  elseif(KOLBEX_STATIC)
    target_link_options(${target} PRIVATE -s -Wl,-O1,--gc-sections)
  else()
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -pie -Wl,-z,relro,-z,now)
    if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT KOLBEX_SANITIZE)
      target_link_options(${target} PRIVATE -Wl,-O1,--as-needed,--gc-sections)
    endif()
  endif()
endfunction()
