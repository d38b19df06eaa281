#!/usr/bin/env bash
# Renders the show at chosen show times and writes one PNG per time.
#   tools/snapshot.sh OUTDIR SECONDS[:NAME[:FRAME]] ...
# e.g. tools/snapshot.sh docs/pictures 3:opening 30:cubes:600 101:end-title
# FRAME (default 20) is the frame taken: the turns advance once a frame.
# The show runs on a virtual X display with its clock held at each time by the
# test-only clock library, and the frame is read back before it is presented.
set -euo pipefail
usage="usage: $0 OUTDIR SECONDS[:NAME[:FRAME]] ...
Writes OUTDIR/NAME.png (default NAME: tSECONDS), the show's frame FRAME (default 20) with
its clock held at SECONDS, e.g. $0 docs/pictures 3:opening 30:cubes:600"
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
-*) echo "$usage" >&2; exit 2 ;;
esac
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
mkdir -p "$1"
out=$(cd "$1" && pwd)
shift
cd "$(dirname "$0")/.."

source tools/packages.sh
# The clock library is built with the tests: their configure needs GoogleTest, X11,
# valgrind and FFmpeg.
tools/install-packages.sh "${build_packages[@]}" xvfb xauth imagemagick \
    libgtest-dev libx11-dev libxfixes-dev libwayland-dev valgrind ffmpeg
# build/ is shared with run.sh and test.sh: every option it depends on is set here
# (as test.sh sets them, so that neither reconfigures the other's build).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON -DTROMVISK_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)" --target tromvisk clock_shim soundtrack_xm >/dev/null
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
