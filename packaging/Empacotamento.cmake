# The Debian package: `cpack -G DEB` in a build folder writes kovrinta_<version>_<arch>.deb
# (tools/package.sh builds it and holds it to lintian). Included last from the top
# CMakeLists.txt, once every install rule is known.
#
# The package installs under /usr whatever prefix the build was configured with: the launcher
# /usr/bin/kovrinta, the program folder /usr/lib/kovrinta (the program, libVxMidi.so, the
# command-line tools and the data), the desktop entry, the icons, the AppStream metadata, the
# manual pages and /usr/share/doc/kovrinta.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kovrinta)
set(CPACK_PACKAGE_VENDOR "The Kovrinta developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KOVRINTA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Every binary stripped: the install rules of the targets strip what they install.
set(CPACK_STRIP_FILES ON)

# The header of the MIDI library is for programs built against it; the package carries no
# library to link with (libVxMidi.so is the program's own, in its folder), so it installs
# only the install rules of no named component, which leaves the header (Development) out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI-file player for drummers")
# Lines of at most 79 characters: Debian shows them as they are.
set(CPACK_PACKAGE_DESCRIPTION
  "Kovrinta plays Standard MIDI Files through its built-in synthesizer or any MIDI
port of the system, while a drum-kit picture lights up piece by piece, with a
stick or a foot on it, as the song's drum part plays.

Mute the song's drums and play along on the computer keyboard or on an
electronic drum kit, slow the tempo, loop a hard bar, add a count-in and a
click, let the speed trainer speed a loop up, and have every hit judged
against the song's drum part, also in a drum lane view. It comes with 24 drum
grooves and speaks English, Spanish and Brazilian Portuguese.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KOVRINTA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link with, found by dpkg-shlibdeps; the program loads
# libVxMidi.so from its own folder, where dpkg-shlibdeps is told to look too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${CMAKE_INSTALL_LIBDIR}/kovrinta)
# What no binary names: a General MIDI soundfont in /usr/share/sounds/sf2, where the
# built-in synthesizer finds any; the font the windows are laid out in; the Qt plugin that
# shows the windows on the desktop.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fluid-soundfont-gm | timgm6mb-soundfont, fonts-dejavu-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
