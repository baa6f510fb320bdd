# Install rules and the Debian package. Installed: the two programs, the stand-in
# Kestrelon.dll in the program's data folder (the desktop entry starts the program
# there, since it looks for Kestrelon.dll in its current folder) with the LDAP schema
# for serving a lab's directory and the Active Directory schema extension, the desktop entry,
# the icon, the manual pages and the package's documentation.
include(GNUInstallDirs)

set(KESTRELON_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kestrelon-setup)
set(KESTRELON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kestrelon-setup)

install(TARGETS kestrelon-setup kestrelon-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES demo/Kestrelon.dll DESTINATION ${KESTRELON_DATA_DIR})
install(FILES data/ldap/kestrelon.schema DESTINATION ${KESTRELON_DATA_DIR}/ldap)
install(FILES data/ad/kestrelon-schema.ldif DESTINATION ${KESTRELON_DATA_DIR}/ad)
install(FILES packaging/kestrelon-setup.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(CODE "
    set(TEMPLATE \"${CMAKE_SOURCE_DIR}/packaging/kestrelon-setup.desktop.in\")
    set(BIN_DIR \"${CMAKE_INSTALL_BINDIR}\")
    set(DATA_DIR \"${KESTRELON_DATA_DIR}\")
    set(APPLICATIONS_DIR \"${CMAKE_INSTALL_DATADIR}/applications\")
    set(WORK_DIR \"${CMAKE_BINARY_DIR}/desktop-entry\")
    include(\"${CMAKE_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake\")")

# Manual pages (with the project's version in their header) and the changelog go in
# compressed, as the platform expects them.
configure_file(docs/man/kestrelon-setup.1 ${CMAKE_BINARY_DIR}/man/kestrelon-setup.1 @ONLY)
configure_file(docs/man/kestrelon-lab.1 ${CMAKE_BINARY_DIR}/man/kestrelon-lab.1 @ONLY)
set(KESTRELON_COMPRESSED)
foreach(source ${CMAKE_BINARY_DIR}/man/kestrelon-setup.1 ${CMAKE_BINARY_DIR}/man/kestrelon-lab.1
               ${CMAKE_SOURCE_DIR}/packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(compressed ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
        COMMAND gzip -9 -n -c ${source} > ${compressed}
        DEPENDS ${source} VERBATIM)
    list(APPEND KESTRELON_COMPRESSED ${compressed})
endforeach()
add_custom_target(compressed-docs ALL DEPENDS ${KESTRELON_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/compressed/kestrelon-setup.1.gz
              ${CMAKE_BINARY_DIR}/compressed/kestrelon-lab.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/compressed/changelog.gz
              docs/lab-scenario.md docs/report-format.md
        DESTINATION ${KESTRELON_DOC_DIR})
install(FILES tests/data/lab/small-scenario.json DESTINATION ${KESTRELON_DOC_DIR}/examples)

set(CPACK_PACKAGE_NAME kestrelon-setup)
set(CPACK_PACKAGE_VENDOR "Kestrelon Setup developers")
set(CPACK_PACKAGE_CONTACT "Kestrelon Setup developers <kestrelon-setup@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup tool for the Kestrelon junk-mail sink")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrelon Setup installs the Kestrelon junk-mail sink into its
component-hosting application, edits the sink's rule (up to four rows of
condition, action and target, plus a priority), tests a condition against a
sample header value, lists the server's mailboxes from the directory and binds
the sink to them or unbinds it, per mailbox or store-wide. Started with -b it
rewrites every existing binding unattended.
.
The package also holds kestrelon-lab, which creates and inspects lab files:
SQLite files that stand in for a whole mail organization, for trying the
program without a mail server.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins loaded at run time, which the binaries' own dependencies do not reveal:
# the SQLite driver of the lab and the SVG icon engine of the window icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6")
include(CPack)
