# --- Video capture ------------------------------------------------------------
# tromvisk-capture run as a user runs it, its files read back by FFmpeg's
# tools, its frames compared with the live binary's and with a live run drawn
# here; its command line and timeline on their own.
find_program(FFPROBE_EXECUTABLE ffprobe REQUIRED)
find_program(FFMPEG_EXECUTABLE ffmpeg REQUIRED)

add_executable(capture_unit_tests capture_units_test.cpp)
target_link_libraries(capture_unit_tests PRIVATE tromvisk_capture GTest::gtest_main)
target_compile_definitions(capture_unit_tests PRIVATE TROMVISK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(capture_unit_tests DISCOVERY_TIMEOUT 30)

add_executable(capture_tests
  capture_failures_test.cpp
  capture_output_test.cpp
  capture_process.cpp
  mixer_playback.cpp
  soundtrack_audio.cpp
)
# The frames: the live binary needs the X display, so these take its lock.
add_executable(capture_frame_tests capture_frames_test.cpp capture_process.cpp)
foreach(tests capture_tests capture_frame_tests)
  target_link_libraries(${tests} PRIVATE tromvisk_capture GTest::gtest_main)
  target_compile_definitions(${tests} PRIVATE
    TROMVISK_CAPTURE_BINARY="$<TARGET_FILE:tromvisk-capture>"
    TROMVISK_BINARY="$<TARGET_FILE:tromvisk>"
    TROMVISK_CLOCK_SHIM="$<TARGET_FILE:clock_shim>"
    TROMVISK_DEMO_XM="${CMAKE_BINARY_DIR}/demo.xm")
  add_dependencies(${tests} tromvisk-capture tromvisk clock_shim soundtrack_xm)
endforeach()
gtest_discover_tests(capture_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 300)
gtest_discover_tests(capture_frame_tests DISCOVERY_TIMEOUT 30
  PROPERTIES TIMEOUT 300 RESOURCE_LOCK x_display)
