# `make package` (cpack -G DEB in the build folder) makes nuvelo_<version>_amd64.deb: the same
# files as `cmake --install`, under /usr, with what Debian's tools expect besides (a compressed
# manual page and changelog, the copyright file, dependencies found by dpkg-shlibdeps).
set(NUVELO_MAINTAINER "Nuvelo maintainers <maintainers@nuvelo.example.org>")
# The Debian revision of this version's package; data/debian/changelog names the same one.
set(NUVELO_DEBIAN_REVISION 1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuvelo)
set(CPACK_PACKAGE_VENDOR "Nuvelo maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${NUVELO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy the files changed since a given day")
set(CPACK_PACKAGE_DESCRIPTION
    "Nuvelo lists every file changed on or after a chosen day in a source folder,\n"
    "leaving out the subfolders and extensions you exclude, lets you look the list\n"
    "over, and copies the checked files to another folder such as a backup drive,\n"
    "rebuilding their folders under the overwrite policy you choose. It remembers\n"
    "the day of the last copy for the next round.\n"
    "\n"
    "The window (nuvelo) is in Japanese, and nuvelo-cli runs the same search and\n"
    "copy from a script or a systemd timer, in Japanese or English.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# Packaged for /usr whatever prefix the build would install into by itself (/usr/local).
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed with DESTDIR into the staging folder and the prefix /usr, so that what is written at
# install time (the example units' paths, zsh's folder) names /usr, as the package installs it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME nuvelo)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${NUVELO_DEBIAN_REVISION})
# The file is named after the program's version alone: nuvelo_1.0.0.0_amd64.deb.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE NUVELO_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT NUVELO_DEB_ARCH)
  set(NUVELO_DEB_ARCH amd64)
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${NUVELO_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME "nuvelo_${PROJECT_VERSION}_${NUVELO_DEB_ARCH}.deb")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NUVELO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://nuvelo.example.org/")
# The libraries come from dpkg-shlibdeps; Qt finds its display through a platform plugin that
# no library names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The Japanese of Qt's own dialogs, a Japanese font, type names, and the browser for the About
# box's address.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic, shared-mime-info, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# After the install into the staging folder: what Debian wants besides the install.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian-staging.cmake.in
               ${PROJECT_BINARY_DIR}/debian-staging.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/debian-staging.cmake)

include(CPack)
