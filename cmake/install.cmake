# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installing the game and packaging it for Debian.
#
#   cmake --install build/release --prefix /usr     (or any prefix, such as ~/.local)
#   cd build/release && cpack -G DEB                (brivane_<version>_<arch>.deb)
#
# The program finds its data in ../share/brivane relative to its own folder, so the installed
# tree works from any prefix, and a build folder, which holds the data beside the program, too.
include(GNUInstallDirs)

set(brivane_install_source "${PROJECT_SOURCE_DIR}/resources/install")
set(brivane_install_stage "${CMAKE_BINARY_DIR}/install-files")
set(brivane_app_id "net.brivane.Brivane")

# Text files that carry the version or the web site, and the gzip-compressed manual page and
# change log a Debian package carries (-n: no name or time inside, so the bytes repeat).
configure_file("${brivane_install_source}/${brivane_app_id}.metainfo.xml.in"
    "${brivane_install_stage}/${brivane_app_id}.metainfo.xml" @ONLY)
configure_file("${brivane_install_source}/brivane.6.in" "${brivane_install_stage}/brivane.6" @ONLY)
# The copyright file carries the built-in font's licence in Debian's machine-readable form:
# the text after the font's own header, every line indented, an empty line written as " .".
file(READ "${PROJECT_SOURCE_DIR}/LICENSES/OFL-1.1.txt" brivane_ofl)
string(REGEX REPLACE "^.*-\n(SIL OPEN FONT LICENSE)" "\\1" brivane_ofl "${brivane_ofl}")
string(REGEX REPLACE "\n+$" "" brivane_ofl "${brivane_ofl}")
# Twice, as one pass leaves every second line of a run of empty lines.
string(REGEX REPLACE "\n\n" "\n.\n" brivane_ofl "${brivane_ofl}")
string(REGEX REPLACE "\n\n" "\n.\n" brivane_ofl "${brivane_ofl}")
string(REPLACE "\n" "\n " brivane_ofl "${brivane_ofl}")
set(BRIVANE_OFL_TEXT " ${brivane_ofl}")
configure_file("${brivane_install_source}/copyright.in" "${brivane_install_stage}/copyright" @ONLY)
find_program(BRIVANE_GZIP gzip REQUIRED)
foreach(pair "brivane.6=${brivane_install_stage}/brivane.6"
             "changelog=${brivane_install_source}/changelog")
    string(REGEX REPLACE "=.*" "" name "${pair}")
    string(REGEX REPLACE "^[^=]*=" "" input "${pair}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${input}")
    execute_process(COMMAND "${BRIVANE_GZIP}" -9nc "${input}"
        OUTPUT_FILE "${brivane_install_stage}/${name}.gz" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(TARGETS brivane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
set(brivane_data_dir "${CMAKE_INSTALL_DATADIR}/brivane")
install(FILES ${BRIVANE_SOUND_OUTPUTS} "${BRIVANE_BIN_DIR}/brivane.hlp"
    DESTINATION "${brivane_data_dir}")
install(DIRECTORY "${BRIVANE_BIN_DIR}/help" DESTINATION "${brivane_data_dir}")
install(FILES "${brivane_install_source}/${brivane_app_id}.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
# The replay files' type, so that a file manager opens a replay with the game.
install(FILES "${brivane_install_source}/${brivane_app_id}.mime.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages" RENAME "${brivane_app_id}.xml")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/icons/hicolor"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
install(FILES "${brivane_install_stage}/${brivane_app_id}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${brivane_install_stage}/brivane.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES "${brivane_install_stage}/copyright" "${brivane_install_stage}/changelog.gz"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# The Debian package. dpkg-shlibdeps works out the libraries the program links (the X11
# platform plugin comes with libqt6gui6); what Qt loads at run time it cannot see: the GStreamer
# elements Qt's audio plays the WAV effects and the Ogg Vorbis music with, and the Wayland
# platform plugin for a native window on a Wayland desktop (X11 through XWayland works without).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brivane)
set(CPACK_PACKAGE_VENDOR "The Brivane developers")
set(CPACK_PACKAGE_CONTACT "The Brivane developers <maintainers@brivane.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game of loops and particles")
# Lines of at most 80 columns, as Debian's package tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Steer a small spark with the mouse. It drags a tail behind it, and when the"
    "tail closes into a loop every ball inside is captured: the more caught at"
    "once, the higher the score. Balls kill on contact, bonds between balls turn"
    "deadly red, an electron throws sparks and strings wrap around the edges of"
    "the playfield.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRIVANE_WEB_SITE}/games/brivane")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/deb_games_folder.cmake")
include(CPack)
