# cpack -G DEB in the build folder makes trundlebay_<version>_<arch>.deb from what
# `cmake --install` lays out (cmake/install.cmake), under /usr; its dependencies are worked out
# from the binaries by dpkg-shlibdeps. A packager's build: -DCMAKE_BUILD_TYPE=Release.

set(CPACK_PACKAGE_NAME trundlebay)
set(CPACK_PACKAGE_VENDOR "The Trundlebay developers")
set(CPACK_PACKAGE_CONTACT "The Trundlebay developers <dev@trundlebay.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "race jeepneys three laps round a village circuit")
# dpkg's description follows the summary with these lines as they are written here.
set(CPACK_PACKAGE_DESCRIPTION
    "Eight jeepneys race three laps round a village circuit. You drive the blue
one; seven computer-driven rivals follow the road, four of them the other way
round. Sparks fly when jeepneys bump, engines whine as they pass, and the
head-up display shows the start lights, your speed, the race time and your
laps. Steer with the mouse or a joystick.

The package also holds trundlebay-tool, which shows what the game makes of a
model, track map or sound file, for people who make tracks and models.")

# The installed desktop entry names the program under the final prefix, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TB_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
