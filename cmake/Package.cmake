# The manual page, the Debian documentation files and the .deb (CPack). scripts/package.sh
# configures a build folder for /usr with the program in games/ and runs cpack there.

set(TUMBLEGEM_MAN_PAGE ${PROJECT_BINARY_DIR}/tumblegem.6.gz)
set(TUMBLEGEM_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
# -n keeps the name and time out of the archive, so the same sources give the same bytes.
add_custom_command(OUTPUT ${TUMBLEGEM_MAN_PAGE}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/tumblegem.6 > ${TUMBLEGEM_MAN_PAGE}
    DEPENDS docs/tumblegem.6 VERBATIM)
add_custom_command(OUTPUT ${TUMBLEGEM_CHANGELOG}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/resources/debian/changelog > ${TUMBLEGEM_CHANGELOG}
    DEPENDS resources/debian/changelog VERBATIM)
add_custom_target(tumblegem_docs ALL DEPENDS ${TUMBLEGEM_MAN_PAGE} ${TUMBLEGEM_CHANGELOG})

# A stripped install also drops the compiler's version notes, as Debian's own tools do.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tumblegem\")
    endif()")
install(FILES ${TUMBLEGEM_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES resources/debian/copyright ${TUMBLEGEM_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tumblegem)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tumblegem)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brightnook <games@brightnook.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "falling-gem puzzle in a narrow well
Tumblegem drops vertical pieces of three gems into a well seven cells wide.
Move a piece left and right, cycle the order of its gems, and drop it. When it
lands, every run of three or more matching gems, across, down or along a
diagonal, vanishes and scores the square of its length; the gems above fall
into the gaps and chains resolve at once.")
# The libraries come from dpkg-shlibdeps. Qt finds the X11 and Wayland window systems only
# through their platform plugins, and the text is drawn in a face with Helvetica's metrics.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(TUMBLEGEM_FONT_PACKAGES fonts-liberation2 fonts-liberation fonts-croscore fonts-urw-base35
    fonts-texgyre fonts-freefont-ttf)
list(JOIN TUMBLEGEM_FONT_PACKAGES " | " TUMBLEGEM_FONTS_DEPEND)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, ${TUMBLEGEM_FONTS_DEPEND}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
