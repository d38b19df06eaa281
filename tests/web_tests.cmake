# The web show in Debian's Chromium and Firefox ESR, driven by puppeteer-core (tests/web).
# test.sh builds the web version (./web.sh) and installs the node packages
# before ctest; without them these tests report themselves as not run.

# The native frames the browser's frames are compared with.
add_executable(native_frames web/native_frames.cpp)
target_link_libraries(native_frames PRIVATE tromvisk_core PkgConfig::SDLMIXER12 PkgConfig::SDL12
  OpenGL::GL OpenGL::GLU m)

find_program(NODE_EXECUTABLE node)
set(TROMVISK_WEB_BUILD ${PROJECT_SOURCE_DIR}/build-web CACHE PATH "Where ./web.sh built the web show")
set(web_test_environment "TROMVISK_WEB_BUILD=${TROMVISK_WEB_BUILD};TROMVISK_NATIVE_FRAMES=$<TARGET_FILE:native_frames>;TROMVISK_BINARY=$<TARGET_FILE:tromvisk>;TROMVISK_CLOCK_SHIM=$<TARGET_FILE:clock_shim>;TROMVISK_WEB_AUDIO_REFERENCE=$<TARGET_FILE:web_audio_reference>")
if(NODE_EXECUTABLE)
  foreach(web_test frames keys_and_ending failures hidden_tab missing_files share_tags)
    add_test(NAME Web.${web_test}
      COMMAND ${NODE_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/${web_test}_test.js)
    set_tests_properties(Web.${web_test} PROPERTIES
      ENVIRONMENT "${web_test_environment}"
      TIMEOUT 300 SKIP_RETURN_CODE 77
      # A browser takes both cores: never beside the tests that count frames.
      RESOURCE_LOCK x_display)
  endforeach()
  # Firefox with a window: on the desktop tests' display, with their sound
  # server (label "desktop", run by tests/desktop/run-desktop-tests.sh).
  # (The shipped binary as a second reference is compared in Chromium already.)
  foreach(web_test frames keys_and_ending page_audio)
    add_test(NAME Web.firefox.${web_test}
      COMMAND ${NODE_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/${web_test}_test.js)
    set_tests_properties(Web.firefox.${web_test} PROPERTIES
      ENVIRONMENT "TROMVISK_WEB_BUILD=${TROMVISK_WEB_BUILD};TROMVISK_NATIVE_FRAMES=$<TARGET_FILE:native_frames>;TROMVISK_WEB_AUDIO_REFERENCE=$<TARGET_FILE:web_audio_reference>;TROMVISK_BROWSER=firefox"
      TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS desktop RESOURCE_LOCK x_display)
  endforeach()
endif()

# The fetch of libmikmod's source for the web build, through a private apt
# configuration: it leaves the system's apt configuration as it was.
add_test(NAME Web.apt_source COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web/apt_source_test.sh ${PROJECT_SOURCE_DIR})
set_tests_properties(Web.apt_source PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
