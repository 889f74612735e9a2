# What an install adds to the two programs, and the Debian package made of it all:
# `cpack -G DEB` in a build directory writes tavrin_<version>_<arch>.deb there. The package
# installs under /usr: the programs and the plant-directory launcher in bin, a desktop menu
# entry and an icon for each program, and the build's logo and alarm sound as samples to copy
# into a plant directory. `cmake --install` puts the same files under its prefix.
install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/tavrin-plant DESTINATION bin)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin.desktop ${CMAKE_CURRENT_LIST_DIR}/olvesk.desktop
        DESTINATION share/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor/ DESTINATION share/icons/hicolor)
install(FILES ${CMAKE_BINARY_DIR}/demo-assets/Velm_LOGO.BMP ${CMAKE_BINARY_DIR}/demo-assets/Alarm.wav
        DESTINATION share/tavrin/sample)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "Tavrin developers <tavrin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plant supervision: Modbus monitoring station and history viewer")
set(CPACK_PACKAGE_DESCRIPTION "\
Tavrin, the monitoring station, polls up to 120 Modbus RTU meters over serial
ports and raw TCP, supervises them once a second and records their history;
Olvesk, the history viewer, plots and exports the recorded files. The menu
entries start both in the plant directory ~/Tavrin.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link come from dpkg-shlibdeps (dpkg-dev). What it cannot
# see: the faces the windows ask for by name (Latin and Chinese texts). Qt's X11 platform
# plugin and its JPEG and ICO readers ship with its Gui library, and the alarm sound plays
# through the PulseAudio client its Multimedia library links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-wqy-microhei")
include(CPack)

# The package made from this build, checked: its files, control fields, menu entries, icons and
# launcher. Not in the sanitizer builds, whose programs need the sanitizer runtimes.
if(TAVRIN_TESTS AND NOT TAVRIN_ASAN AND NOT TAVRIN_TSAN)
  add_test(NAME debian_package
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-deb.sh ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND})
  set_tests_properties(debian_package PROPERTIES TIMEOUT 120)
endif()
