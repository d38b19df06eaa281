#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
#   ./test.sh --quick   builds, then runs only the quick loop (ctest label "quick")
set -euo pipefail
cd "$(dirname "$0")"
quick=
[ "${1:-}" = --quick ] && quick=1

source tools/packages.sh
packages=("${build_packages[@]}")
# The tests: GoogleTest, a virtual X display and its tools, the music players, valgrind,
# FFmpeg (ffprobe for the capture, the ebur128 filter for the soundtrack's mix).
packages+=(xvfb xauth xdotool libx11-dev libgtest-dev openmpt123 xmp valgrind ffmpeg)
# The installed program and its package: validators and dpkg tools.
packages+=(desktop-file-utils appstream lintian groff mandoc dpkg-dev file util-linux)
# The desktop tests: a window manager, a sound server and the tools that look at them.
packages+=(openbox pulseaudio pulseaudio-utils wmctrl x11-utils imagemagick libxfixes-dev)
# The web show and its tests: emscripten builds it and libmikmod from Debian's source
# package (dpkg-dev unpacks it); Chromium with Mesa's Vulkan driver plays it, driven
# from Node.js.
packages+=(emscripten chromium mesa-vulkan-drivers nodejs)
[ -n "$quick" ] || tools/install-packages.sh "${packages[@]}"
# Installing packages may add their own files under /etc/apt (appstream does);
# from here on nothing of ours may change it.
apt_config_before=$(tools/etc-apt-hashes.sh)
if [ -z "$quick" ]; then
    tests/web/install-driver.sh
    ./web.sh >/dev/null
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"

status=0
# On a bare X server, without the desktop tests.
run_tests=(ctest --test-dir build --output-on-failure -j2 -LE desktop)
[ -n "$quick" ] && run_tests=(ctest --test-dir build --output-on-failure -j2 -L '^quick$')
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}" || status=1
else
    "${run_tests[@]}" || status=1
fi
# Then on a desktop of their own: window manager and sound server, started and stopped there.
[ -n "$quick" ] || tests/desktop/run-desktop-tests.sh build || status=1
changed=$(diff <(echo "$apt_config_before") <(tools/etc-apt-hashes.sh) | awk '/^[<>]/ { print $3 }' | sort -u) || true
if [ -n "$changed" ]; then
    echo "test.sh: files under /etc/apt changed while testing:" $changed >&2
    status=1
fi
exit "$status"
