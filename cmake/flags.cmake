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
function(kolbex_product_flags target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
endfunction()

# The program carries no C++ runtime library of its own at run time; the C
# library stays dynamic on POSIX so that the clock can be faked in tests.
function(kolbex_program_flags target)
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  if(WIN32)
    # i686 symbols carry a leading underscore, x86_64 ones do not.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(entry _KolbexEntry)
    else()
      set(entry KolbexEntry)
    endif()
    target_link_options(${target} PRIVATE -static -s -nostartfiles -Wl,--entry=${entry})
  elseif(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT KOLBEX_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,-O1,--as-needed,--gc-sections)
  endif()
endfunction()
