#!/usr/bin/env bash
# Installs what is missing, builds the show in Release and runs it.
set -euo pipefail

usage="usage: $0
Installs the missing Debian packages (apt-get, through sudo when not root), builds the
show in Release in build/ and runs it; with no display, on a virtual X display (Xvfb)."
for argument in "$@"; do
    case $argument in
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
cd "$(dirname "$0")"

source tools/packages.sh
tools/install-packages.sh "${build_packages[@]}" xvfb xauth

# build/ is shared with test.sh and the tools: every option it depends on is set here.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

cd build # the show reads demo.xm from its working directory
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
    echo "No display found: running the show on a virtual X display (Xvfb), where nobody sees it." >&2
    exec xvfb-run -a -s "-screen 0 1024x768x24" ./tromvisk
fi
exec ./tromvisk
