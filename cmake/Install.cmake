# Installing Tamberlux as a desktop program, and its Debian package (CPack).
#
#   bin/tamberlux                       the command line (headless commands; starts the editor)
#   libexec/tamberlux/tamberlux-editor  the page editor (Qt Widgets, the web engine)
#   share/tamberlux/install/      the install folder as shipped (catalogs, FlashMovies, Help, ...)
#   share/tamberlux/sample-web/   the sample web with its movies
#   share/tamberlux/ruffle/       the Flash player of the web views
#   share/applications/, share/icons/hicolor/, share/metainfo/, share/man/man1/, share/doc/
#
# Both programs find the three shipped folders from their own location (../share/tamberlux,
# ../../share/tamberlux from libexec/tamberlux/), and the command line finds the editor in
# ../libexec/tamberlux/, so the installed tree may lie under any prefix.

include(GNUInstallDirs)

set(TLX_APP_ID org.tamberlux.Tamberlux)
set(TLX_DATA_DEST ${CMAKE_INSTALL_DATADIR}/tamberlux)
set(TLX_DESKTOP_SRC ${PROJECT_SOURCE_DIR}/data/desktop)
set(TLX_GENERATED ${PROJECT_BINARY_DIR}/desktop)

install(TARGETS tamberlux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tamberlux-editor RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tamberlux)

# The shipped folders, file by file as the build made them.
function(tlx_install_tree property from to)
    get_property(files GLOBAL PROPERTY ${property})
    foreach(file ${files})
        file(RELATIVE_PATH rel ${from} ${file})
        get_filename_component(folder ${rel} DIRECTORY)
        install(FILES ${file} DESTINATION ${to}/${folder})
    endforeach()
endfunction()
tlx_install_tree(TLX_SHIPPED_INSTALL_FILES ${PROJECT_BINARY_DIR}/install ${TLX_DATA_DEST}/install)
tlx_install_tree(TLX_SHIPPED_SAMPLE_FILES ${PROJECT_BINARY_DIR}/sample-web ${TLX_DATA_DEST}/sample-web)

# Ruffle as npm installed it: the player, its WebAssembly and its licences (no source maps).
set(TLX_RUFFLE_SRC ${PROJECT_SOURCE_DIR}/node_modules/@ruffle-rs/ruffle)
if(NOT EXISTS ${TLX_RUFFLE_SRC}/ruffle.js)
    message(WARNING "${TLX_RUFFLE_SRC} is missing (run npm ci): the installed program would have no Flash player")
endif()
install(DIRECTORY ${TLX_RUFFLE_SRC}/ DESTINATION ${TLX_DATA_DEST}/ruffle
        PATTERN "*.map" EXCLUDE PATTERN "README.md" EXCLUDE)

# Desktop entry, AppStream metadata, man page.
install(FILES ${TLX_DESKTOP_SRC}/${TLX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${TLX_DESKTOP_SRC}/${TLX_APP_ID}.metainfo.xml ${TLX_GENERATED}/${TLX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TLX_GENERATED}/${TLX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
configure_file(${PROJECT_SOURCE_DIR}/docs/tamberlux.1 ${TLX_GENERATED}/tamberlux.1 @ONLY)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(
    OUTPUT ${TLX_GENERATED}/tamberlux.1.gz
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${TLX_GENERATED}/tamberlux.1
    DEPENDS ${TLX_GENERATED}/tamberlux.1
    COMMENT "Compressing the man page"
    VERBATIM)

# Icons: the drawing, and PNGs of it at the usual sizes (rendered with rsvg-convert).
install(FILES ${TLX_DESKTOP_SRC}/${TLX_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT_EXECUTABLE rsvg-convert)
set(TLX_ICON_PNGS)
if(RSVG_CONVERT_EXECUTABLE)
    foreach(size 16 22 24 32 48 64 128 256 512)
        set(png ${TLX_GENERATED}/icons/${size}x${size}/${TLX_APP_ID}.png)
        add_custom_command(
            OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${TLX_GENERATED}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT_EXECUTABLE} -w ${size} -h ${size} -o ${png} ${TLX_DESKTOP_SRC}/${TLX_APP_ID}.svg
            DEPENDS ${TLX_DESKTOP_SRC}/${TLX_APP_ID}.svg
            VERBATIM)
        list(APPEND TLX_ICON_PNGS ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
endif()
add_custom_command(
    OUTPUT ${TLX_GENERATED}/changelog.gz
    COMMAND ${GZIP_EXECUTABLE} -9nc ${TLX_DESKTOP_SRC}/changelog > ${TLX_GENERATED}/changelog.gz
    DEPENDS ${TLX_DESKTOP_SRC}/changelog
    VERBATIM)
add_custom_target(tlx_desktop_files ALL DEPENDS ${TLX_GENERATED}/tamberlux.1.gz ${TLX_GENERATED}/changelog.gz
                                                ${TLX_ICON_PNGS})

install(FILES ${TLX_GENERATED}/tamberlux.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TLX_DESKTOP_SRC}/copyright ${TLX_GENERATED}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tamberlux)

# ---- the Debian package: scripts/package.sh
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamberlux)
set(CPACK_PACKAGE_VENDOR "The Tamberlux team")
set(CPACK_PACKAGE_CONTACT "The Tamberlux team <team@tamberlux.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "page editor that puts Flash movies into web pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Tamberlux edits the pages of a web (a folder of HTML pages) and puts Flash
(SWF) movies into them: buttons, headings, intro movies, misc art and sound
events from its library, each configured in a dialog with a live preview.
It edits and repairs the markup of the movies in a page, and checks and fixes
whole webs from the command line. The movies play in the editor with the
Ruffle Flash player, which is included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tamberlux.example/")
# The Debian 12 packages of the libraries the programs link (dpkg-shlibdeps of the binaries),
# plus the web engine's helper process. tests/packaging checks that every library either binary
# needs is provided by one of them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libgumbo1 (>= 0.9.2), libzip4 (>= 0.11.2), libicu72 (>= 72.1), libqt6core6 (>= 6.4.0), libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), libqt6network6 (>= 6.4.0), libqt6httpserver6 (>= 6.4.0), libqt6webenginecore6 (>= 6.4.0), libqt6webenginecore6-bin (>= 6.4.0), libqt6webenginewidgets6 (>= 6.4.0), libqt6webchannel6 (>= 6.4.0)")
# The help opens in the user's browser; fonts for pages that name none; Wayland sessions.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core, qt6-wayland")
include(CPack)

# ---- checks of what is installed
if(TAMBERLUX_BUILD_TESTS)
    add_test(NAME packaging_deb
             COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/check_deb.sh ${PROJECT_BINARY_DIR}
                     ${CMAKE_CURRENT_BINARY_DIR}/packaging-test)
    set_tests_properties(packaging_deb PROPERTIES LABELS packaging SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
