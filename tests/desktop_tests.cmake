# --- Desktop ------------------------------------------------------------------
# The real show on a desktop with a window manager (openbox) and a sound
# server (PulseAudio): labelled "desktop" and run by
# tests/desktop/run-desktop-tests.sh, which starts and stops that desktop
# (./test.sh runs it after the other tests). Elsewhere they report as skipped.
find_package(X11 REQUIRED COMPONENTS Xfixes)
add_executable(cursor_shown desktop/cursor_shown.c)
target_link_libraries(cursor_shown PRIVATE X11::X11 X11::Xfixes)

add_executable(desktop_tests
  desktop/desktop_fixture.cpp
  desktop/screen_image.cpp
  desktop/window_test.cpp
  desktop/pcm_compare.cpp
  desktop/sound_test.cpp
  show_process.cpp)
target_include_directories(desktop_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(desktop_tests PRIVATE GTest::gtest_main)
target_compile_definitions(desktop_tests PRIVATE
  TROMVISK_BINARY="$<TARGET_FILE:tromvisk>"
  TROMVISK_CLOCK_SHIM="$<TARGET_FILE:clock_shim>"
  TROMVISK_CURSOR_SHOWN="$<TARGET_FILE:cursor_shown>"
  TROMVISK_DEMO_XM="${CMAKE_BINARY_DIR}/demo.xm")
add_dependencies(desktop_tests tromvisk clock_shim cursor_shown)
gtest_discover_tests(desktop_tests DISCOVERY_TIMEOUT 30
  PROPERTIES LABELS desktop RESOURCE_LOCK x_display TIMEOUT 120)
