# Run by CPack on the staged tree, before the Debian package is made: Debian
# keeps the programs of a games package in /usr/games. The launcher and the
# capture program find their data relative to themselves, and /usr/games is
# as deep as /usr/bin, so they move unchanged.
set(staged "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${staged}/bin/tromvisk")
  message(FATAL_ERROR "no launcher staged at ${staged}/bin/tromvisk")
endif()
file(RENAME "${staged}/bin" "${staged}/games")
