#!/usr/bin/env bash
# The README's plain build configures on a machine with only the show's build
# dependencies: GoogleTest is hidden from find_package and every program folder
# from find_program (valgrind, FFmpeg's tools, Xvfb, xdotool...), so only the
# programs named on the command line are found. The configure must succeed
# and say that it left the tests out.
#   plain_configure_test.sh SOURCE_DIR CMAKE C_COMPILER CXX_COMPILER MAKE PKG_CONFIG GZIP
set -uo pipefail
[ $# -eq 7 ] || { echo "usage: $0 SOURCE_DIR CMAKE C_COMPILER CXX_COMPILER MAKE PKG_CONFIG GZIP" >&2; exit 2; }
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT

"$2" -S "$1" -B "$build" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    "-DCMAKE_IGNORE_PATH=/usr/local/bin;/usr/local/sbin;/usr/bin;/usr/sbin;/bin;/sbin" \
    -DCMAKE_C_COMPILER="$3" -DCMAKE_CXX_COMPILER="$4" -DCMAKE_MAKE_PROGRAM="$5" \
    -DPKG_CONFIG_EXECUTABLE="$6" -DGZIP_EXECUTABLE="$7" >"$build/configure.log" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
    cat "$build/configure.log"
    echo "FAIL: the plain configure without the test tools exited $status"
    exit 1
fi
if ! grep -q '^-- Tests left out, missing: GoogleTest' "$build/configure.log"; then
    cat "$build/configure.log"
    echo "FAIL: the configure did not leave the tests out"
    exit 1
fi
grep '^-- Tests left out' "$build/configure.log"
