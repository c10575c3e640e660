# What `cmake --install` puts where, the manual beside the program in the build
# folder, and the Debian package (`cpack -G DEB` in the build folder).
#
#   bin/tabulon
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/{scalable,16x16..256x256}/apps/<id>.{svg,png}
#   share/man/man1/tabulon.1.gz
#   share/doc/tabulon/  the manual (index.html first), copyright, changelog.gz

set(TABULON_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/desktop)
set(TABULON_MANUAL_DIR ${PROJECT_SOURCE_DIR}/doc/manual)
set(TABULON_ICON_SIZES 16 22 24 32 48 64 128 256)
# The date of this version's release, as the metainfo lists it.
set(TABULON_RELEASE_DATE 2026-12-11)

configure_file(${TABULON_DESKTOP_DIR}/${TABULON_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${TABULON_APP_ID}.metainfo.xml @ONLY)

# The manual, made where the program in the build folder looks for it: each
# page of doc/manual wrapped with its title and the navigation bar.
set(TABULON_MANUAL_CONTENTS ${TABULON_MANUAL_DIR}/contents.txt)
file(STRINGS ${TABULON_MANUAL_CONTENTS} manual_entries REGEX "^[^#]")
set(TABULON_STAGED_DOC ${CMAKE_BINARY_DIR}/${TABULON_DOCDIR})
set(TABULON_MANUAL_FILES ${TABULON_STAGED_DOC}/style.css)
add_custom_command(OUTPUT ${TABULON_STAGED_DOC}/style.css
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TABULON_MANUAL_DIR}/style.css ${TABULON_STAGED_DOC}/style.css
  DEPENDS ${TABULON_MANUAL_DIR}/style.css VERBATIM)
foreach(entry ${manual_entries})
  string(REGEX MATCH "^[^ ]+" name "${entry}")
  add_custom_command(OUTPUT ${TABULON_STAGED_DOC}/${name}
    COMMAND ${CMAKE_COMMAND} -DCONTENTS=${TABULON_MANUAL_CONTENTS} -DPAGE=${TABULON_MANUAL_DIR}/${name}
            -DOUT=${TABULON_STAGED_DOC}/${name} -P ${PROJECT_SOURCE_DIR}/cmake/ManualPage.cmake
    DEPENDS ${TABULON_MANUAL_DIR}/${name} ${TABULON_MANUAL_CONTENTS} ${PROJECT_SOURCE_DIR}/cmake/ManualPage.cmake
    VERBATIM)
  list(APPEND TABULON_MANUAL_FILES ${TABULON_STAGED_DOC}/${name})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TABULON_MANUAL_CONTENTS})

# Man page and Debian changelog compressed as Debian wants them: gzip -9, no
# name or time stamp, so the bytes depend on the text alone.
find_program(TABULON_GZIP gzip REQUIRED)
set(TABULON_MANPAGE_GZ ${CMAKE_BINARY_DIR}/tabulon.1.gz)
# A version without a Debian revision makes a native package: its changelog is
# changelog.gz.
set(TABULON_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TABULON_MANPAGE_GZ}
  COMMAND sh -c "${TABULON_GZIP} -9n < \"$0\" > \"$1\"" ${TABULON_DESKTOP_DIR}/tabulon.1 ${TABULON_MANPAGE_GZ}
  DEPENDS ${TABULON_DESKTOP_DIR}/tabulon.1 VERBATIM)
add_custom_command(OUTPUT ${TABULON_CHANGELOG_GZ}
  COMMAND sh -c "${TABULON_GZIP} -9n < \"$0\" > \"$1\"" ${TABULON_DESKTOP_DIR}/debian/changelog ${TABULON_CHANGELOG_GZ}
  DEPENDS ${TABULON_DESKTOP_DIR}/debian/changelog VERBATIM)
add_custom_target(tabulon_docs ALL DEPENDS ${TABULON_MANUAL_FILES} ${TABULON_MANPAGE_GZ} ${TABULON_CHANGELOG_GZ})

install(TARGETS tabulon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TABULON_DESKTOP_DIR}/${TABULON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${TABULON_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TABULON_DESKTOP_DIR}/icons/${TABULON_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${TABULON_ICON_SIZES})
  install(FILES ${TABULON_DESKTOP_DIR}/icons/${size}/${TABULON_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TABULON_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TABULON_MANUAL_FILES} ${TABULON_DESKTOP_DIR}/debian/copyright ${TABULON_CHANGELOG_GZ}
        DESTINATION ${TABULON_DOCDIR})

# The Debian package: tabulon_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabulon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brennick Software")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for relational databases")
# The summary is the synopsis line; this is the long description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tabulon connects to PostgreSQL, MySQL and MariaDB, Firebird (embedded on a
database file, or a server), Microsoft Access files, SQL Server and Oracle.
Each connection is browsed as a tree of databases, tables and fields; SQL is
written in tabbed editors, run with F5 and its rows are shown in a grid.
.
Access files need the MDBTools ODBC driver (odbc-mdbtools), SQL Server the
FreeTDS driver (tdsodbc), embedded Firebird the engine of
firebird3.0-server-core.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brennick Software <tabulon@brennick.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.brennick.example/tabulon")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Drivers for Access, SQL Server and embedded Firebird; xdg-open shows the manual.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-mdbtools, tdsodbc, firebird3.0-server-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
