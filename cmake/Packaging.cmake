# A Debian package of the installed files:  cpack -G DEB  in a build folder.
set(CPACK_PACKAGE_NAME vexlo)
set(CPACK_PACKAGE_VENDOR "Vexlo Developers")
set(CPACK_PACKAGE_CONTACT "Vexlo Developers <dev@vexlo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browser of APT-style package sources")
set(CPACK_PACKAGE_DESCRIPTION
    "Vexlo keeps a list of package sources, downloads every Packages index in parallel and\n"
    "shows the packages as searchable grids of cards. From a package it opens or copies the\n"
    "download address or hands the package over to Sileo; it installs nothing itself.\n"
    "The interface is in Arabic. Includes vexlo-cli, the same core without a window.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL "${VEXLO_HOMEPAGE_URL}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Shared libraries (Qt, simdjson, the compression libraries) are found by dpkg-shlibdeps; what
# the program only loads at run time is listed: the QML modules it imports, the plugins that
# read SVG and WebP pictures, and the fonts of its Arabic text and symbols.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-templates, \
qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, \
qml6-module-qtqml-models, qml6-module-qtquick-dialogs, libqt6svg6, qt6-image-formats-plugins, fonts-noto-core, \
fonts-noto-color-emoji")
# Wayland sessions; xdg-mime tells whether Sileo's addresses have a handler.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
include(CPack)
