# The Debian package: cpack -G DEB in the build folder writes
# tovik_<version>_<arch>.deb. Its dependencies on libraries come from the
# programs themselves (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillfeather)
set(CPACK_PACKAGE_CONTACT Quillfeather)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws the field lines of a picture's electrostatic field")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tovik turns a picture into an electrostatic field and draws its field\n"
    "lines. Colour is charge: blue pixels carry positive charge, red ones\n"
    "negative. It reads BMP, JPEG, PNG, GIF, WMF and EMF pictures, traces a\n"
    "line through a clicked point or covers the picture with lines, shows the\n"
    "field under the pointer and saves the result as BMP or PNG. Example\n"
    "pictures come in /usr/share/tovik/examples.\n"
    "\n"
    "Licence: GPL-2.0-or-later.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/COPYING)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to what the libraries need: the windows' font, which every caption is
# measured against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# Qt's own Russian texts for the file dialogs and standard buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
