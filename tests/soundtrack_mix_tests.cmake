# The soundtrack as heard: the mix measured in the three players' renders
# (loudness by FFmpeg's ebur128 filter), and one-feature modules for every
# effect the song uses, played alike by libmikmod, libopenmpt and libxmp.
find_program(FFMPEG_EXECUTABLE ffmpeg)
set(SOUNDTRACK_FFMPEG "")
if(FFMPEG_EXECUTABLE)
  set(SOUNDTRACK_FFMPEG ${FFMPEG_EXECUTABLE})
endif()

add_executable(soundtrack_mix_tests
  soundtrack_mix_test.cpp
  soundtrack_effects_test.cpp
  soundtrack_music_test.cpp
  soundtrack_synth_test.cpp
  soundtrack_score.cpp
  soundtrack_spectrum.cpp
  soundtrack_render.cpp
  soundtrack_loudness.cpp
  soundtrack_audio.cpp
  xm_reader.cpp
)
target_link_libraries(soundtrack_mix_tests PRIVATE soundtrack tromvisk_music PkgConfig::SDLMIXER12
  PkgConfig::SDL12 GTest::gtest_main)
target_compile_definitions(soundtrack_mix_tests PRIVATE
  SOUNDTRACK_XM_PATH="${CMAKE_BINARY_DIR}/demo.xm"
  OPENMPT123_PATH="${SOUNDTRACK_OPENMPT123}"
  XMP_PATH="${SOUNDTRACK_XMP}"
  FFMPEG_PATH="${SOUNDTRACK_FFMPEG}")
add_dependencies(soundtrack_mix_tests soundtrack_xm)
gtest_discover_tests(soundtrack_mix_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 300)
