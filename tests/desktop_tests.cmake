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

# --- Wayland --------------------------------------------------------------------
# The real show in a headless sway session, through Xwayland and natively:
# labelled "wayland" and run by TROMVISK_DESKTOP_SESSION=sway
# tests/desktop/run-desktop-tests.sh, which starts sway, Xwayland and the
# virtual pointer the tests move (./test.sh runs it after the openbox desktop).
find_package(PkgConfig REQUIRED)
pkg_check_modules(WaylandClient REQUIRED IMPORTED_TARGET wayland-client)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
set(virtual_pointer_xml ${CMAKE_CURRENT_SOURCE_DIR}/desktop/wlr-virtual-pointer-unstable-v1.xml)
set(virtual_pointer_generated ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
add_custom_command(
  OUTPUT ${virtual_pointer_generated}/wlr-virtual-pointer-unstable-v1-client-protocol.h
         ${virtual_pointer_generated}/wlr-virtual-pointer-unstable-v1-protocol.c
  COMMAND ${CMAKE_COMMAND} -E make_directory ${virtual_pointer_generated}
  COMMAND ${WAYLAND_SCANNER} client-header ${virtual_pointer_xml}
          ${virtual_pointer_generated}/wlr-virtual-pointer-unstable-v1-client-protocol.h
  COMMAND ${WAYLAND_SCANNER} private-code ${virtual_pointer_xml}
          ${virtual_pointer_generated}/wlr-virtual-pointer-unstable-v1-protocol.c
  DEPENDS ${virtual_pointer_xml}
  VERBATIM)
add_executable(virtual_pointer desktop/virtual_pointer.c
  ${virtual_pointer_generated}/wlr-virtual-pointer-unstable-v1-protocol.c)
target_include_directories(virtual_pointer PRIVATE ${virtual_pointer_generated})
target_link_libraries(virtual_pointer PRIVATE PkgConfig::WaylandClient)

add_executable(wayland_tests
  desktop/desktop_fixture.cpp
  desktop/screen_image.cpp
  desktop/wayland_test.cpp
  show_process.cpp)
target_include_directories(wayland_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(wayland_tests PRIVATE GTest::gtest_main)
target_compile_definitions(wayland_tests PRIVATE
  TROMVISK_BINARY="$<TARGET_FILE:tromvisk>"
  TROMVISK_CLOCK_SHIM="$<TARGET_FILE:clock_shim>"
  TROMVISK_CURSOR_SHOWN="$<TARGET_FILE:cursor_shown>"
  TROMVISK_DEMO_XM="${CMAKE_BINARY_DIR}/demo.xm")
add_dependencies(wayland_tests tromvisk clock_shim cursor_shown virtual_pointer)
gtest_discover_tests(wayland_tests DISCOVERY_TIMEOUT 30
  PROPERTIES LABELS wayland RESOURCE_LOCK x_display TIMEOUT 120)
