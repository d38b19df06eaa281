#!/usr/bin/env bash
# Builds the show for the web into build-web/: index.html, tromvisk.js,
# tromvisk.wasm and tromvisk.data (the packaged demo.xm).
#   ./web.sh            build
#   ./web.sh --serve    build, then serve build-web/ on 127.0.0.1 and print the URL
#   ./web.sh --port N   the port to serve on (default 8080)
# Installs what is missing (Emscripten, Node.js, CMake and a C++ compiler for the
# soundtrack generator) like the other scripts.
set -euo pipefail
cd "$(dirname "$0")"

usage="usage: $0 [--serve] [--port N]"
serve=
port=8080
while [ $# -gt 0 ]; do
    case $1 in
    --serve) serve=1 ;;
    --port)
        [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
        port=$2
        shift
        ;;
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
    shift
done

tools/install-packages.sh cmake make g++ emscripten nodejs python3 dpkg-dev

out=build-web
# The soundtrack is written by a native tool at build time, as for the show.
cmake -S tools/soundtrack -B "$out/soundtrack" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/soundtrack" -j"$(nproc)" >/dev/null

# Debian's Emscripten finds its JavaScript tools (acorn) through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
# Its system libraries are prebuilt: never let it try to rebuild them.
export EM_FROZEN_CACHE=1
# libmikmod for wasm, from Debian's source package (pinned, checksum-checked).
web/build-libmikmod.sh "$out/mikmod" >/dev/null
emcmake cmake -S web -B "$out" -DCMAKE_BUILD_TYPE=Release \
    -DTROMVISK_DEMO_XM="$PWD/$out/soundtrack/demo.xm" \
    -DTROMVISK_LIBMIKMOD_DIR="$PWD/$out/mikmod" >/dev/null
cmake --build "$out" -j"$(nproc)"

download=$(cat "$out"/*.html "$out"/*.css "$out"/*.js "$out"/tromvisk.wasm "$out"/tromvisk.data | wc -c)
echo "Built $out/index.html: $download bytes to download"
if [ -n "$serve" ]; then
    echo "Serving the show at http://127.0.0.1:$port/ (Ctrl-C to stop)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out"
fi
