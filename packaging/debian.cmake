# The Debian package: the program in /usr/lib/keyfall, the shipped data read-only in
# /usr/share/keyfall/Date, and the launcher `keyfall` in /usr/games, which gives each player
# a data folder of their own. Desktop entry, icons, AppStream file and manual page.

install(TARGETS keyfall RUNTIME DESTINATION lib/keyfall)
install(FILES ${shipped_data} DESTINATION share/keyfall/Date)
install(FILES ${shipped_images} DESTINATION share/keyfall/Date/Image)

# The launcher and the manual page name the installed folders, which are known only when
# installing: a package is installed under another prefix than the build's.
install(CODE "
  set(KEYFALL_SOURCE ${CMAKE_CURRENT_SOURCE_DIR})
  set(KEYFALL_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/installed)
  set(PROJECT_VERSION ${PROJECT_VERSION})
  set(KEYFALL_RELEASE_MONTH \"${KEYFALL_RELEASE_MONTH}\")")
install(SCRIPT installed_files.cmake)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/installed/keyfall DESTINATION games)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/installed/keyfall.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/installed/changelog.gz copyright
        DESTINATION share/doc/keyfall)

install(FILES keyfall.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES icons/keyfall-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME keyfall.png)
endforeach()
configure_file(keyfall.metainfo.xml.in ${KEYFALL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${KEYFALL_APPSTREAM_ID}.metainfo.xml
        DESTINATION share/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads at run time: the Japanese font its font rule maps to, and the
# GStreamer elements of the music (playbin, wavparse, and an audio sink: PulseAudio and
# PipeWire desktops get theirs from plugins-good, the others play through ALSA).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, gstreamer1.0-plugins-base, \
gstreamer1.0-plugins-good, gstreamer1.0-alsa")
