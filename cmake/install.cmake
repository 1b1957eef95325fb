# Installation and packages: a zip for each Windows program, a tarball of
# the static Linux program, and a .deb of the dynamic one.
include(GNUInstallDirs)

set(KOLBEX_MAINTAINER "The Kolbex developers <maintainers@kolbex.example.org>"
  CACHE STRING "Maintainer of the .deb, as \"Name <address>\"")

set(CPACK_PACKAGE_NAME kolbex)
set(CPACK_PACKAGE_VENDOR "The Kolbex developers")
set(CPACK_PACKAGE_CONTACT "${KOLBEX_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${KOLBEX_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write the command line with the current date and time inserted")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS kolbex RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME "kolbex-${KOLBEX_VERSION}-win32")
  else()
    set(CPACK_PACKAGE_FILE_NAME "kolbex-${KOLBEX_VERSION}-win64")
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(KOLBEX_STATIC)
  # Unpacked anywhere, the folder is a prefix of its own.
  install(TARGETS kolbex RUNTIME DESTINATION bin)
  install(FILES doc/kolbex.1 DESTINATION share/man/man1)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME "kolbex-${KOLBEX_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # Debian's conventions: the manual page and the changelog compressed
  # reproducibly, the license as a machine-readable copyright file, and a
  # binary stripped of what only the build needed.
  configure_file(doc/changelog.in changelog @ONLY)
  foreach(file kolbex.1 changelog)
    set(source ${PROJECT_SOURCE_DIR}/doc/${file})
    if(file STREQUAL changelog)
      set(source ${CMAKE_CURRENT_BINARY_DIR}/changelog)
    endif()
    add_custom_command(OUTPUT ${file}.gz
      COMMAND gzip -9nc ${source} > ${file}.gz
      DEPENDS ${source} VERBATIM)
  endforeach()
  add_custom_target(kolbex_documents ALL DEPENDS kolbex.1.gz changelog.gz)

  install(TARGETS kolbex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kolbex\")
    endif()")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kolbex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md doc/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KOLBEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_VERSION "${KOLBEX_PACKAGE_VERSION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "kolbex writes the text of its own command line to standard output, with
the current date and time inserted where the text asks for them
([date:yyyy-mm-dd], [time:hh:mm:ss]), padded to columns with @nn. It is
made for time stamps in scripts, dated file names and aligned log lines.")

include(CPack)
