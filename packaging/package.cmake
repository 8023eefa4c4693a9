# The Debian package: cpack -G DEB in the build tree. Its library dependencies come from
# dpkg-shlibdeps; the SoundFont is named so that the first key sounds. No maintainer
# scripts: the icon cache and the desktop database are refreshed by the triggers of
# hicolor-icon-theme and desktop-file-utils.

set(CPACK_PACKAGE_NAME tonvel)
set(CPACK_PACKAGE_VERSION ${TONVEL_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tonvel developers")
set(CPACK_PACKAGE_CONTACT "The Tonvel developers <support@tonvel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "virtual piano played on the computer keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Tonvel turns the computer keyboard into a piano: 36 keys of the main block\n"
    "play three chromatic octaves and the numeric keypad plays twelve drum pads.\n"
    "Every key press becomes a MIDI message to the built-in General MIDI\n"
    "synthesizer or to any MIDI port of the system. It offers 128 instruments,\n"
    "four sound banks, a transposing base note, a rhythm player with three\n"
    "styles, volume and tempo sliders and key labels.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.tonvel.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs Qt's X11 platform plugin and the font the skin's labels are set in;
# Qt itself only recommends the plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fluid-soundfont-gm | timgm6mb-soundfont, qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
