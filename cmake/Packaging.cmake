# Installation of the command-line client and its Debian package (cpack -G DEB): the binary,
# the compressed manual page, the copyright file and the changelog.
include(GNUInstallDirs)

install(TARGETS kestrum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian wants manual pages and changelogs compressed with gzip -9 and no time stamp (-n).
function(kestrum_gzip source output)
    add_custom_command(OUTPUT ${output}
                       COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${source} ${output}
                       DEPENDS ${source} VERBATIM)
endfunction()
set(man_page ${CMAKE_CURRENT_BINARY_DIR}/kestrum.1.gz)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
kestrum_gzip(${PROJECT_SOURCE_DIR}/src/cli/kestrum.1 ${man_page})
kestrum_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${changelog})
add_custom_target(kestrum_package_files ALL DEPENDS ${man_page} ${changelog})

set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrum)
install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog} DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arbitrary-length decimal arithmetic on numbers written as text")
# Lines of the extended description stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "kestrum adds, subtracts, multiplies, divides and compares decimal numbers of\n"
    "up to 32766 characters exactly, without turning them into machine numbers.\n"
    "It runs one operation given on its command line or, as a filter, answers\n"
    "lines of operations read from standard input, one output line for each.\n"
    "kestrum calc evaluates formulas (+ - * / ^, sqrt, ln, exp, sin, pi, ...)\n"
    "to any number of fraction digits, each value rounded once, on the command\n"
    "line, from standard input or at a prompt with line editing and history.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Kestrum maintainers <maintainers@users.noreply.c-seed-72c3dbc9.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
