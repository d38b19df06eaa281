# The Debian package, made by `cpack -G DEB` (see package.sh) from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tromvisk)
set(CPACK_PACKAGE_VENDOR virvelstormgarden)
set(CPACK_PACKAGE_CONTACT "${TROMVISK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D show with its own music")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Tromvisk is a demo: a fixed, time-scripted show of about 107 seconds,
drawn live with OpenGL to its own tracker module. It shows the group's
name in blue cubes, a spinning cube group over a green grid, a web
address typed out under a moving camera, a turning spiral of pyramids,
greetings and an end title, then ends by itself.
.
Escape quits, f switches between full screen and a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tromvisk_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TROMVISK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # dependencies read from the binaries by dpkg-shlibdeps
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Every folder the package makes is 0755, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The launcher goes to /usr/games, where Debian keeps games.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_layout.cmake)
include(CPack)
