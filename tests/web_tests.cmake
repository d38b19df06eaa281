# The web show in Debian's Chromium, driven by puppeteer-core (tests/web).
# test.sh builds the web version (./web.sh) and installs the node packages
# before ctest; without them these tests report themselves as not run.

# The native frames the browser's frames are compared with.
add_executable(native_frames web/native_frames.cpp)
target_link_libraries(native_frames PRIVATE tromvisk_core PkgConfig::SDLMIXER12 PkgConfig::SDL12
  OpenGL::GL OpenGL::GLU m)

find_program(NODE_EXECUTABLE node)
set(TROMVISK_WEB_BUILD ${PROJECT_SOURCE_DIR}/build-web CACHE PATH "Where ./web.sh built the web show")
if(NODE_EXECUTABLE)
  foreach(web_test frames keys_and_ending failures hidden_tab)
    add_test(NAME Web.${web_test}
      COMMAND ${NODE_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/${web_test}_test.js)
    set_tests_properties(Web.${web_test} PROPERTIES
      ENVIRONMENT "TROMVISK_WEB_BUILD=${TROMVISK_WEB_BUILD};TROMVISK_NATIVE_FRAMES=$<TARGET_FILE:native_frames>;TROMVISK_BINARY=$<TARGET_FILE:tromvisk>;TROMVISK_CLOCK_SHIM=$<TARGET_FILE:clock_shim>"
      TIMEOUT 300 SKIP_RETURN_CODE 77
      # A browser takes both cores: never beside the tests that count frames.
      RESOURCE_LOCK x_display)
  endforeach()
endif()

# The fetch of libmikmod's source for the web build, through a private apt
# configuration: it leaves the system's apt configuration as it was.
add_test(NAME Web.apt_source COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web/apt_source_test.sh ${PROJECT_SOURCE_DIR})
set_tests_properties(Web.apt_source PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
