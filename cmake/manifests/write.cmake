# The manifests of the Windows package managers, written beside the two
# zips once both are there: the winget folder kolbex-VERSION-winget and
# Scoop's kolbex.json. CPack runs this after it has made either zip, that
# one still in its staging folder, the other (if made before) in the
# output folder; both builds pack into one folder (cpack -B).
set(version "${CPACK_PACKAGE_VERSION}")
get_filename_component(made "${CPACK_PACKAGE_FILES}" NAME)
foreach(bits 32 64)
  string(REGEX REPLACE "-win(32|64)\\.zip$" "-win${bits}.zip" zip "${made}")
  set(file "${CPACK_PACKAGE_DIRECTORY}/${zip}")
  if(zip STREQUAL made)
    set(file "${CPACK_PACKAGE_FILES}")
  endif()
  if(NOT EXISTS "${file}")
    message(STATUS "manifests: written once ${zip} is in ${CPACK_PACKAGE_DIRECTORY} too")
    return()
  endif()
  file(SHA256 "${file}" sha256_${bits})
  string(TOUPPER "${sha256_${bits}}" winget${bits})
  set(url${bits} "${CPACK_KOLBEX_RELEASE_URL}/${version}/${zip}")
  # Scoop makes the address of a later version from the same, by $version.
  string(REPLACE "${version}" "$version" scoop${bits} "${url${bits}}")
endforeach()

# The tagline, as a sentence.
string(SUBSTRING "${CPACK_KOLBEX_TAGLINE}" 0 1 first)
string(SUBSTRING "${CPACK_KOLBEX_TAGLINE}" 1 -1 rest)
string(TOUPPER "${first}" first)
set(description "${first}${rest}")

set(winget "${CPACK_PACKAGE_DIRECTORY}/kolbex-${version}-winget")
foreach(manifest Kolbex.Kolbex Kolbex.Kolbex.locale.en-US Kolbex.Kolbex.installer)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${manifest}.yaml.in ${winget}/${manifest}.yaml @ONLY)
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/kolbex.json.in ${CPACK_PACKAGE_DIRECTORY}/kolbex.json @ONLY)
message(STATUS "manifests: ${winget}/ and ${CPACK_PACKAGE_DIRECTORY}/kolbex.json")
