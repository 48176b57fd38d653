# The Debian package of the window program (./dev package): what `cmake --install` lays out,
# under /usr, with its Depends worked out by dpkg-shlibdeps from the program's libraries.

# What Debian asks of every package beside the program: its copyright, its changelog and a
# manual page, the last two compressed without a time stamp so that builds compare equal.
set(doc_destination ${CMAKE_INSTALL_DATADIR}/doc/${QUILLO_PROGRAM_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright DESTINATION ${doc_destination})
find_program(QUILLO_GZIP gzip)
if(QUILLO_GZIP)
    set(packaged ${PROJECT_BINARY_DIR}/package)
    add_custom_command(OUTPUT ${packaged}/changelog.gz ${packaged}/quillo.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${packaged}
        COMMAND ${QUILLO_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/resources/package/changelog
                > ${packaged}/changelog.gz
        COMMAND ${QUILLO_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/resources/package/quillo.1
                > ${packaged}/quillo.1.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/resources/package/changelog
                ${PROJECT_SOURCE_DIR}/resources/package/quillo.1
        VERBATIM)
    add_custom_target(quillo_package_docs ALL
                      DEPENDS ${packaged}/changelog.gz ${packaged}/quillo.1.gz)
    install(FILES ${packaged}/changelog.gz DESTINATION ${doc_destination})
    install(FILES ${packaged}/quillo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QUILLO_PROGRAM_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillo developers")
set(CPACK_PACKAGE_CONTACT "The Quillo developers <maintainers@quillo.test>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop messenger for Facebook chat")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quillo developers <maintainers@quillo.test>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillo.github.io/")
# The extended description; CPack puts the summary above it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillo for Facebook shows your Facebook friends in a contact list split into
online and offline friends, opens a chat window with a tab per friend, and
keeps every conversation as a log in your own data folder, readable in a log
viewer. It waits in the tray and tells you when friends come online or write.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The keyring library QtKeychain loads at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
