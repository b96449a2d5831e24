# The Debian packages: `make package` (CPack, one package per component,
# dependencies from dpkg-shlibdeps).
#   bil        the wizard: Qt, the desktop entry, the file type, the icons,
#              the software centre's entry, bil(1)
#   bil-check  the batch checker: C and C++ libraries only, bil-check(1)
# Every install rule names its component; one without is left out of both.

set(BIL_PACKAGE_DIR ${CMAKE_CURRENT_LIST_DIR})

# Debian wants these compressed, reproducibly (no name, no time stamp).
set(bil_gzipped)
foreach(file changelog man/bil.1 man/cs/bil.1 man/bil-check.1 man/cs/bil-check.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man/cs
    COMMAND gzip -9n -c ${BIL_PACKAGE_DIR}/${file} > ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    DEPENDS ${BIL_PACKAGE_DIR}/${file} VERBATIM)
  list(APPEND bil_gzipped ${CMAKE_BINARY_DIR}/packaging/${file}.gz)
endforeach()
add_custom_target(bil_package_files ALL DEPENDS ${bil_gzipped})

foreach(package bil bil-check)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/man/${package}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${package})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/man/cs/${package}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/cs/man1 COMPONENT ${package})
  install(FILES ${BIL_PACKAGE_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${package})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/res/cz.example.bil.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT bil)
install(FILES ${PROJECT_SOURCE_DIR}/res/bil-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME bil.xml COMPONENT bil)
install(FILES ${PROJECT_SOURCE_DIR}/res/bil.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT bil)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/bil-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME bil.png COMPONENT bil)
endforeach()
install(FILES ${BIL_PACKAGE_DIR}/cz.example.bil.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT bil)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL bil bil-check)
set(CPACK_PACKAGE_NAME bil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Bil developers <bil@bil.example.cz>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://bil.example.cz/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_BIL_PACKAGE_NAME bil)
set(CPACK_DEBIAN_BIL_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_BIL_DESCRIPTION
  "main figures of an annual financial statement for KT
A wizard in which a Czech company prepares the main figures of its annual
financial statement (balance sheet, profit and loss statement, current and
previous year) for publication by the editorial office of KT. It checks the
sum rules, writes the statement file and its tab-separated text, prints the
statement and the order, and writes the statement as a PDF for the
commercial register, also from the command line. Statement files open from
the file manager.")
# The dialogs' font, which keeps their proportions; the SVG icon; Qt's own
# texts in Czech, the program's only language.
set(CPACK_DEBIAN_BIL_PACKAGE_DEPENDS
    "fonts-dejavu-core, fonts-dejavu-extra, libqt6svg6, qt6-translations-l10n")

set(CPACK_DEBIAN_BIL-CHECK_PACKAGE_NAME bil-check)
set(CPACK_DEBIAN_BIL-CHECK_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_BIL-CHECK_DESCRIPTION
  "batch check of financial statement files for KT
bil-check checks many statement files of the Bil wizard at once, without a
desktop session: which cannot be read, which break sum rules and which lack
required data. It reports in Czech, as CSV, as JSON or as a workbook for a
spreadsheet, and writes the statements' texts for typesetting.")
# bil 0.1 held the checker and its manual page.
set(CPACK_DEBIAN_BIL-CHECK_PACKAGE_BREAKS "bil (<< 0.2)")
set(CPACK_DEBIAN_BIL-CHECK_PACKAGE_REPLACES "bil (<< 0.2)")
include(CPack)
