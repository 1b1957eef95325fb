# Installation and packages: a .deb on POSIX, a zip for each Windows program.
include(GNUInstallDirs)

if(WIN32)
  install(TARGETS kolbex RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME "kolbex-${KOLBEX_VERSION_TEXT}-win32")
  else()
    set(CPACK_PACKAGE_FILE_NAME "kolbex-${KOLBEX_VERSION_TEXT}-win64")
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  install(TARGETS kolbex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/kolbex.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME kolbex)
set(CPACK_PACKAGE_VENDOR "The Kolbex developers")
set(CPACK_PACKAGE_CONTACT "The Kolbex developers <kolbex@localhost>")
set(CPACK_PACKAGE_VERSION "${KOLBEX_VERSION_TEXT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write the command line with the current date and time inserted")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_VERSION "1.0~b")
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
