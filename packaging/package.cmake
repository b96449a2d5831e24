# The Debian package: `make package` (CPack, dependencies from
# dpkg-shlibdeps). Besides the programs, the desktop entry and the icons it
# holds the software centre's entry, the manual pages and Debian's copyright
# and changelog files.

set(BIL_PACKAGE_DIR ${CMAKE_CURRENT_LIST_DIR})

# Debian wants these compressed, reproducibly (no name, no time stamp).
set(bil_gzipped)
foreach(file changelog bil.1 bil-check.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${BIL_PACKAGE_DIR}/${file} > ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    DEPENDS ${BIL_PACKAGE_DIR}/${file} VERBATIM)
  list(APPEND bil_gzipped ${CMAKE_BINARY_DIR}/packaging/${file}.gz)
endforeach()
add_custom_target(bil_package_files ALL DEPENDS ${bil_gzipped})

install(FILES ${BIL_PACKAGE_DIR}/cz.example.bil.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/bil.1.gz ${CMAKE_BINARY_DIR}/packaging/bil-check.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${BIL_PACKAGE_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/bil)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "main figures of an annual financial statement for KT")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A wizard in which a Czech company prepares the main figures of its annual
financial statement (balance sheet, profit and loss statement, current and
previous year) for publication by the editorial office of KT. It checks the
sum rules and writes the statement file and its tab-separated text.
.
bil-check checks many statement files at once, without a desktop session,
and writes their texts for typesetting.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Bil developers <bil@bil.example.cz>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://bil.example.cz/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs' font, which keeps their proportions; Qt's own texts in Czech.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
