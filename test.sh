#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ pkg-config ca-certificates \
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri \
    libegl1 libegl-mesa0 xvfb xauth xdotool libx11-dev libgtest-dev openmpt123 xmp valgrind
# The installed program and its package: validators, dpkg tools, the icon's PNG library.
tools/install-packages.sh desktop-file-utils appstream lintian groff mandoc dpkg-dev file \
    libpng-dev util-linux
# The desktop tests: a window manager, a sound server and the tools that look at them.
tools/install-packages.sh openbox pulseaudio pulseaudio-utils wmctrl x11-utils imagemagick xdotool \
    libxfixes-dev
# The soundtrack's mix tests measure loudness with FFmpeg's ebur128 filter.
tools/install-packages.sh ffmpeg

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"

status=0
# On a bare X server, without the desktop tests.
run_tests=(ctest --test-dir build --output-on-failure -j2 -LE desktop)
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}" || status=1
else
    "${run_tests[@]}" || status=1
fi
# Then on a desktop of their own: window manager and sound server, started and stopped there.
tests/desktop/run-desktop-tests.sh build || status=1
exit "$status"
