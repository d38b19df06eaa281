# --- Offline music render -----------------------------------------------------
# The music rendered through libmikmod as SDL_mixer sets it up, compared with
# SDL_mixer itself playing demo.xm through SDL's disk audio driver.
tromvisk_test(music_render_tests LABEL slow
  SOURCES music_render_test.cpp
  LINK tromvisk_music mixer_playback
  DEFINITIONS SOUNDTRACK_XM_PATH="${CMAKE_BINARY_DIR}/demo.xm"
  DEPENDS soundtrack_xm
  PROPERTIES TIMEOUT 300
  ALSO "WavWriter.*:MusicRenderBadFile.*" quick)
