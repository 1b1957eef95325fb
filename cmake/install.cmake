# Installation and packages: a .deb of the dynamic Linux program, an RPM of
# each static one. .ci/release makes these and the archives, each from its
# own install layout: a zip of each Windows program's, a tarball of each
# static Linux program's.
include(GNUInstallDirs)

set(KOLBEX_MAINTAINER "The Kolbex developers <maintainers@kolbex.example.org>"
  CACHE STRING "Maintainer of the .deb and the RPMs, as \"Name <address>\"")

set(CPACK_PACKAGE_NAME kolbex)
set(CPACK_PACKAGE_VENDOR "The Kolbex developers")
set(CPACK_KOLBEX_LICENSE MIT)
set(CPACK_PACKAGE_CONTACT "${KOLBEX_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${KOLBEX_VERSION}")
# The summary is the manual page's: its NAME line.
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/kolbex.1 summary REGEX "^kolbex \\\\- ")
string(REGEX REPLACE "^kolbex \\\\- " "" summary "${summary}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${summary}")
set(KOLBEX_DESCRIPTION
  "kolbex writes the text of its own command line to standard output, with
the current date and time inserted where the text asks for them
([date:yyyy-mm-dd], [time:hh:mm:ss]), padded to columns with @nn. It is
made for time stamps in scripts, dated file names and aligned log lines.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

# The manual page and the changelog compressed reproducibly, as the Linux
# package formats keep them.
if(NOT WIN32)
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
endif()

if(WIN32)
  install(TARGETS kolbex RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  # The winget and Scoop manifests, which the release writes beside both zips.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/manifests/write.cmake.in manifests.cmake @ONLY)
elseif(KOLBEX_STATIC)
  # Two layouts of the same files. The tarball's folder (the component
  # archive), unpacked anywhere, is a prefix of its own; the RPM puts them
  # where RPM systems keep them.
  install(TARGETS kolbex RUNTIME DESTINATION bin COMPONENT archive)
  install(FILES doc/kolbex.1 DESTINATION share/man/man1 COMPONENT archive)
  install(FILES README.md LICENSE DESTINATION . COMPONENT archive)
  install(TARGETS kolbex RUNTIME DESTINATION bin COMPONENT rpm)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kolbex.1.gz DESTINATION share/man/man1 COMPONENT rpm)
  install(FILES README.md DESTINATION share/doc/kolbex COMPONENT rpm)
  install(FILES LICENSE DESTINATION share/licenses/kolbex COMPONENT rpm)
  set(CPACK_GENERATOR RPM)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};rpm;/")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

  # The RPM: version 1.0~b sorts before 1.0, as in the .deb. The static
  # program needs nothing from the system, and says so.
  set(CPACK_RPM_PACKAGE_VERSION "${KOLBEX_PACKAGE_VERSION}")
  set(CPACK_RPM_PACKAGE_RELEASE 1)
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_RPM_PACKAGE_LICENSE "${CPACK_KOLBEX_LICENSE}")
  set(CPACK_RPM_PACKAGE_GROUP "Applications/Text")
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${KOLBEX_DESCRIPTION}")
  set(CPACK_RPM_PACKAGE_AUTOREQPROV OFF)
  set(CPACK_PACKAGE_RELOCATABLE OFF)
  # RPM's summaries begin with a capital.
  string(SUBSTRING "${summary}" 0 1 first)
  string(SUBSTRING "${summary}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(CPACK_RPM_PACKAGE_SUMMARY "${first}${rest}")
  # Built from one commit, the RPM is the same bytes on every host: its
  # times are SOURCE_DATE_EPOCH where that is set (rpmbuild strips the
  # program again after staging), its build host no name.
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/stage-times.cmake)
  string(JOIN "\n" CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${KOLBEX_MAINTAINER}"
    "%define _buildhost reproducible" "%define use_source_date_epoch_as_buildtime 1"
    "%define clamp_mtime_to_source_date_epoch 1" "%define _binary_payload w9.gzdio")
  set(CPACK_RPM_USER_FILELIST
    "%doc /usr/share/doc/kolbex/README.md" "%license /usr/share/licenses/kolbex/LICENSE")
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/licenses)
  # The changes as the Debian changelog gives them, in RPM's form.
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/changelog debian)
  string(REGEX REPLACE "^[^\n]*\n\n(.*)\n\n -- (.*)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) .*$"
    "* \\3 \\5 \\4 \\6 \\2 - ${KOLBEX_PACKAGE_VERSION}-1\n\\1\n" rpm "${debian}")
  string(REPLACE "\n  * " "\n- " rpm "${rpm}")
  string(REPLACE "\n    " "\n  " rpm "${rpm}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog "${rpm}")
  set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
else()
  # Debian's conventions: the license as a machine-readable copyright file,
  # and a binary stripped of what only the build needed.
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
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KOLBEX_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_VERSION "${KOLBEX_PACKAGE_VERSION}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${KOLBEX_DESCRIPTION}")
endif()

if(NOT WIN32)
  include(CPack)
endif()
