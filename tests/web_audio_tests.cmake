# --- The music in a web browser ---------------------------------------------------
# The web mixer and audio.js built for wasm with Debian's emscripten, played in
# headless Chromium and compared with the native render through SDL_mixer.
add_executable(web_audio_reference web_audio/reference_render.cpp mixer_playback.cpp
  soundtrack_audio.cpp)
target_include_directories(web_audio_reference PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(web_audio_reference PRIVATE tromvisk_music PkgConfig::SDLMIXER12 PkgConfig::SDL12)

add_test(NAME WebAudio.BrowserPlaysTheModule
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web_audio/run.sh ${CMAKE_BINARY_DIR}/web-audio
    $<TARGET_FILE:web_audio_reference> ${CMAKE_BINARY_DIR}/demo.xm)
# A browser takes both cores: never beside the tests that count frames (nor
# the other browser tests), and its real-time audio thread runs undisturbed.
set_tests_properties(WebAudio.BrowserPlaysTheModule PROPERTIES TIMEOUT 600
  RESOURCE_LOCK x_display)

# The web mixer's own logic, built natively over the same music render.
add_executable(web_mixer_tests web_audio/web_mixer_test.cpp
  ${PROJECT_SOURCE_DIR}/web/mixer/web_mixer.cpp soundtrack_audio.cpp)
target_include_directories(web_mixer_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
  ${PROJECT_SOURCE_DIR}/web/mixer ${SDL12_INCLUDE_DIRS} ${SDLMIXER12_INCLUDE_DIRS})
target_link_libraries(web_mixer_tests PRIVATE tromvisk_music GTest::gtest_main)
target_compile_definitions(web_mixer_tests PRIVATE SOUNDTRACK_XM_PATH="${CMAKE_BINARY_DIR}/demo.xm")
add_dependencies(web_mixer_tests soundtrack_xm)
gtest_discover_tests(web_mixer_tests DISCOVERY_TIMEOUT 30)
