#!/usr/bin/env bash
# Installs what is missing, builds the show and its benchmark in Release and
# prints the benchmark's table: frame cost of every act, start-up latency
# beside a floor program, and the work done per frame.
#   ./bench.sh               everything, with a short callgrind run
#   ./bench.sh --no-profile  without callgrind (our share of the instructions)
#   ./bench.sh --runs N      start-up runs of each program (default 15)
# Runs on a virtual X display (Xvfb, no window manager) when there is no display.
set -euo pipefail
cd "$(dirname "$0")"

usage="usage: $0 [--no-profile] [--runs N]"
profile=--profile
runs=()
while [ $# -gt 0 ]; do
    case $1 in
    --no-profile) profile= ;;
    --runs)
        [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
        runs=(--runs "$2")
        shift
        ;;
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
    shift
done

source tools/packages.sh
tools/install-packages.sh "${build_packages[@]}" xvfb xauth valgrind

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=ON \
    >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null

bench/web_bench.sh || echo "The web benchmark failed; the native one follows." >&2
# The video capture's figures (off screen, no display needed).
bench/capture_bench.sh build-bench

bench=(build-bench/bench/tromvisk_bench ${profile:+"$profile"} "${runs[@]}")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "${bench[@]}" \
        --display-note "Xvfb 1024x768x24 with no window manager"
fi
exec "${bench[@]}" --display-note "display $DISPLAY"
