# --- The music in a web browser ---------------------------------------------------
# The web mixer and audio.js built for wasm with Debian's emscripten, played in
# headless Chromium and compared with the native render through SDL_mixer.
add_executable(web_audio_reference web_audio/reference_render.cpp mixer_playback.cpp
  soundtrack_audio.cpp)
target_include_directories(web_audio_reference PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(web_audio_reference PRIVATE PkgConfig::SDLMIXER12 PkgConfig::SDL12)

add_test(NAME WebAudio.BrowserPlaysTheModule
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web_audio/run.sh ${CMAKE_BINARY_DIR}/web-audio
    $<TARGET_FILE:web_audio_reference> ${CMAKE_BINARY_DIR}/demo.xm)
set_tests_properties(WebAudio.BrowserPlaysTheModule PROPERTIES TIMEOUT 600)
