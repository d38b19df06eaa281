#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ pkg-config ca-certificates \
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri \
    libegl1 libegl-mesa0 xvfb xauth xdotool libx11-dev libgtest-dev openmpt123 xmp valgrind
# The soundtrack's mix tests measure loudness with FFmpeg's ebur128 filter.
tools/install-packages.sh ffmpeg

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"

run_tests=(ctest --test-dir build --output-on-failure -j2)
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}"
else
    "${run_tests[@]}"
fi
