# The soundtrack as heard: the mix measured in the three players' renders
# (loudness by FFmpeg's ebur128 filter), and one-feature modules for every
# effect the song uses, played alike by libmikmod, libopenmpt and libxmp.
find_program(FFMPEG_EXECUTABLE ffmpeg)
set(SOUNDTRACK_FFMPEG "")
if(FFMPEG_EXECUTABLE)
  set(SOUNDTRACK_FFMPEG ${FFMPEG_EXECUTABLE})
endif()

tromvisk_test(soundtrack_mix_tests LABEL slow
  SOURCES
    soundtrack_mix_test.cpp
    soundtrack_effects_test.cpp
    soundtrack_music_test.cpp
    soundtrack_synth_test.cpp
    soundtrack_score.cpp
    soundtrack_bands.cpp
    soundtrack_render.cpp
    soundtrack_loudness.cpp
  LINK soundtrack tromvisk_music xm_reader mixer_playback
  DEFINITIONS
    SOUNDTRACK_XM_PATH="${CMAKE_BINARY_DIR}/demo.xm"
    OPENMPT123_PATH="${SOUNDTRACK_OPENMPT123}"
    XMP_PATH="${SOUNDTRACK_XMP}"
    FFMPEG_PATH="${SOUNDTRACK_FFMPEG}"
  DEPENDS soundtrack_xm
  PROPERTIES TIMEOUT 300)
