# --- Offline music render -----------------------------------------------------
# The music rendered through libmikmod as SDL_mixer sets it up, compared with
# SDL_mixer itself playing demo.xm through SDL's disk audio driver.
add_executable(music_render_tests music_render_test.cpp mixer_playback.cpp soundtrack_audio.cpp)
target_link_libraries(music_render_tests PRIVATE tromvisk_music PkgConfig::SDLMIXER12
  PkgConfig::SDL12 GTest::gtest_main)
target_compile_definitions(music_render_tests PRIVATE
  SOUNDTRACK_XM_PATH="${CMAKE_BINARY_DIR}/demo.xm")
add_dependencies(music_render_tests soundtrack_xm)
gtest_discover_tests(music_render_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 300)
