#!/usr/bin/env bash
# The capture's section of ./bench.sh: rendering alone, encoding alone and the
# whole pipeline at 1280x720 and 1920x1080 (60 fps, 4 samples), and the whole
# show at 1280x720 against real time. Needs no display (EGL, surfaceless).
#   bench/capture_bench.sh [BUILD_DIR] [--no-whole-show]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
shift || true

tools/install-packages.sh cmake make g++ pkg-config libegl-dev libegl-mesa0 libavformat-dev \
    libavcodec-dev libswscale-dev libswresample-dev libavutil-dev libmikmod-dev
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTROMVISK_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target capture_bench >/dev/null
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
"$build/bench/capture_bench" "$@"
