# --- Installed program and Debian package --------------------------------------------
# The install rules run into a temporary DESTDIR and the package is made with
# CPack, once each (fixtures); the tests then check the files, validate the
# desktop entry, metainfo and man pages, run the installed launcher on the
# test's display, and take the package apart with dpkg-deb, dpkg and lintian.
find_package(PNG REQUIRED)
set(PACKAGING_TEST_DIR ${CMAKE_BINARY_DIR}/packaging-tests)
set(PACKAGING_TEST_PREFIX /opt/tromvisk)

add_test(NAME Packaging.Install
  COMMAND sh -c "rm -rf \"$0\" && mkdir -p \"$0\" && DESTDIR=\"$0/destdir\" \"$1\" --install \"$2\" --prefix \"$3\" >/dev/null && cp \"$2/install_manifest.txt\" \"$0/\""
    ${PACKAGING_TEST_DIR} ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${PACKAGING_TEST_PREFIX})
set_tests_properties(Packaging.Install PROPERTIES
  FIXTURES_SETUP installed_tree RESOURCE_LOCK install_rules)
add_test(NAME Packaging.BuildDebianPackage
  COMMAND sh -c "rm -rf \"$0/deb\" && cd \"$1\" && \"$2\" -G DEB -B \"$0/deb\" >/dev/null"
    ${PACKAGING_TEST_DIR} ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND})
set_tests_properties(Packaging.BuildDebianPackage PROPERTIES
  FIXTURES_SETUP debian_package FIXTURES_REQUIRED installed_tree RESOURCE_LOCK install_rules)

set(PACKAGING_TEST_DEFINITIONS
  PACKAGING_TEST_DIR="${PACKAGING_TEST_DIR}"
  PACKAGING_TEST_PREFIX="${PACKAGING_TEST_PREFIX}"
  PACKAGING_VERSION="${PROJECT_VERSION}"
  PACKAGING_APP_ID="${TROMVISK_APP_ID}"
  PACKAGING_BUILT_SHOW="$<TARGET_FILE:tromvisk>"
  PACKAGING_LICENSE_FILE="${PROJECT_SOURCE_DIR}/LICENSE"
  TROMVISK_BINARY="$<TARGET_FILE:tromvisk>"
  TROMVISK_CLOCK_SHIM="$<TARGET_FILE:clock_shim>"
  TROMVISK_DEMO_XM="${CMAKE_BINARY_DIR}/demo.xm")

# Files, validators, uninstalling, and the package: no display needed.
add_executable(packaging_tests packaging_tree_test.cpp packaging_deb_test.cpp
  packaging_capture_test.cpp installed_tree.cpp
  show_process.cpp ${PROJECT_SOURCE_DIR}/tools/icon/png_file.cpp ${PROJECT_SOURCE_DIR}/tools/icon/rgb_image.cpp)
target_include_directories(packaging_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/icon)
target_link_libraries(packaging_tests PRIVATE PNG::PNG GTest::gtest_main)
target_compile_definitions(packaging_tests PRIVATE ${PACKAGING_TEST_DEFINITIONS})
gtest_discover_tests(packaging_tests DISCOVERY_TIMEOUT 30
  PROPERTIES FIXTURES_REQUIRED debian_package TIMEOUT 300)

# The installed launcher and the package's launcher running the show on the display.
add_executable(packaging_launcher_tests packaging_launcher_test.cpp installed_tree.cpp
  show_process.cpp)
target_link_libraries(packaging_launcher_tests PRIVATE GTest::gtest_main)
target_compile_definitions(packaging_launcher_tests PRIVATE ${PACKAGING_TEST_DEFINITIONS})
add_dependencies(packaging_launcher_tests clock_shim)
gtest_discover_tests(packaging_launcher_tests DISCOVERY_TIMEOUT 30
  PROPERTIES FIXTURES_REQUIRED debian_package RESOURCE_LOCK x_display TIMEOUT 120)
