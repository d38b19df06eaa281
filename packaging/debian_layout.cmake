# Run by CPack on the staged tree, before the Debian package is made: Debian
# keeps games in /usr/games. The launcher finds the show relative to itself,
# and /usr/games is as deep as /usr/bin, so it moves unchanged.
set(staged "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${staged}/bin/tromvisk")
  message(FATAL_ERROR "no launcher staged at ${staged}/bin/tromvisk")
endif()
file(MAKE_DIRECTORY "${staged}/games")
file(RENAME "${staged}/bin/tromvisk" "${staged}/games/tromvisk")
file(GLOB left "${staged}/bin/*")
if(NOT left)
  file(REMOVE_RECURSE "${staged}/bin")
endif()
