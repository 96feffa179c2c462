# SPDX-License-Identifier: MIT
# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME tesserin)
set(CPACK_PACKAGE_VENDOR "Brookfen")
set(CPACK_PACKAGE_CONTACT "${TESSERIN_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Quillora: reply notebook for web bulletin boards")
# Lines of at most 80 columns, as Debian wants; an empty line becomes the " ." of the control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillora keeps three reply drafts, each with a title and a body, your handle,\n"
    "mail address and home page, a list of short texts and a file of emoticons\n"
    "(kaomoji), and puts any field on the clipboard with one click or one function\n"
    "key, ready to paste into a board's form in the browser.\n"
    "\n"
    "Everything typed is kept between runs. The emoticons come from a plain text\n"
    "file that the user may edit. The user interface is in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TESSERIN_SITE_URL}")
set(CPACK_STRIP_FILES ON)
set(CPACK_TESSERIN_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebStrip.cmake)
# The C++ runtime and the Qt libraries it was built against (Debian 12's g++ 12 and Qt 6.4), a
# Japanese font the program asks for by name, and xdg-open for URLs. Listed by hand rather than
# by dpkg-shlibdeps so that packaging needs nothing beyond CMake.
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, "
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), "
    "fonts-ipafont-gothic, xdg-utils")
# The program works without each of these: Qt's own menus then stay in English, Wayland
# desktops show it through XWayland, and fcitx5 cannot type into it (ibus works through Qt's
# own plugin).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland, fcitx5-frontend-qt6")

# face.txt is the user's to edit: in the package it is the conffile /etc/tesserin/face.txt,
# which dpkg never overwrites silently, and lib/tesserin/face.txt links to it. The script moves
# the file in the staging folder after the ordinary install, so `cmake --install` keeps a plain
# file that a per-user install owns.
if(EXISTS ${PROJECT_SOURCE_DIR}/data/face.txt)
  list(APPEND CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebFaceToEtc.cmake)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/conffiles)
endif()

include(CPack)
