#!/usr/bin/env bash
# Renders the show at chosen show times and writes one PNG per time.
#   tools/snapshot.sh OUTDIR SECONDS[:NAME[:FRAME]] ...
# e.g. tools/snapshot.sh docs/pictures 3:opening 30:cubes:600 101:end-title
# FRAME (default 20) is the frame taken: the turns advance once a frame.
# The show runs on a virtual X display with its clock held at each time by the
# test-only clock library, and the frame is read back before it is presented.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "usage: $0 OUTDIR SECONDS[:NAME] ..." >&2; exit 2; }
out=$1
shift

tools/install-packages.sh xvfb xauth imagemagick libgtest-dev libx11-dev libxfixes-dev libwayland-dev
cmake -S . -B build -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)" --target tromvisk clock_shim demo_xm >/dev/null 2>&1 ||
    cmake --build build -j"$(nproc)" --target tromvisk clock_shim >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -f build/demo.xm ] && cp build/demo.xm "$work/"

for spec in "$@"; do
    IFS=: read -r seconds name frame <<<"$spec"
    name=${name:-t$seconds}
    frame=${frame:-20}
    ppm="$work/$name.ppm"
    rm -f "$ppm"
    milliseconds=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 1000 }')
    (
        cd "$work"
        export TROMVISK_TEST_CLOCK_SCALE=0 TROMVISK_TEST_CLOCK_OFFSET_MS="$milliseconds" \
            TROMVISK_TEST_SNAPSHOT="$ppm" TROMVISK_TEST_SNAPSHOT_FRAME="$frame" \
            SDL_AUDIODRIVER=dummy
        xvfb-run -a -s "-screen 0 800x600x24" bash -c '
            LD_PRELOAD="$1" "$2" >/dev/null 2>&1 &
            show=$!
            for _ in $(seq 200); do [ -s "$3" ] && break; sleep 0.05; done
            kill "$show" 2>/dev/null; wait "$show" 2>/dev/null || true' _ \
            "$OLDPWD/build/tests/libclock_shim.so" "$OLDPWD/build/tromvisk" "$ppm"
    )
    [ -s "$ppm" ] || { echo "no frame at $seconds s" >&2; exit 1; }
    convert "$ppm" "$out/$name.png"
    echo "$out/$name.png"
done
