#!/usr/bin/env bash
# Builds the show for the web into build-web/: index.html, tromvisk.js,
# tromvisk.wasm, tromvisk.data (demo.xm) and the page's pictures.
#   ./web.sh            build
#   ./web.sh --serve    build, then serve build-web/ on 127.0.0.1 and print the URL
#   ./web.sh --port N   the port to serve on (default 8080)
#   ./web.sh --url URL  the address the page will be served from, for link
#                       previews (their picture wants an absolute address)
#   ./web.sh --native DIR  take the soundtrack, the capture program and the icon
#                       from this native build (built there as needed) instead
#                       of build-web/native (test.sh passes its build/)
# Installs what is missing (Emscripten, Node.js, and what the native build of
# the soundtrack and the capture program needs) like the other scripts.
set -euo pipefail
cd "$(dirname "$0")"

usage="usage: $0 [--serve] [--port N] [--url URL] [--native DIR]"
serve=
port=8080
url=
native=
while [ $# -gt 0 ]; do
    case $1 in
    --serve) serve=1 ;;
    --port)
        [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
        port=$2
        shift
        ;;
    --url)
        [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
        url=$2
        shift
        ;;
    --native)
        [ $# -ge 2 ] && [ -f "$2/CMakeCache.txt" ] || { echo "$usage   (DIR: a configured native build)" >&2; exit 2; }
        native=$2
        shift
        ;;
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
    shift
done

source tools/packages.sh
tools/install-packages.sh "${build_packages[@]}" emscripten nodejs python3 dpkg-dev

out=build-web
# The native build writes the soundtrack with the same generator as the show's
# build, and draws the page's pictures with the capture program: the link
# preview's frame, and the desktop icon as the favicon.
if [ -z "$native" ]; then
    native=$out/native
    cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=OFF >/dev/null
fi
cmake --build "$native" -j"$(nproc)" --target soundtrack_xm tromvisk-capture tromvisk_icons >/dev/null
app_id=$(sed -n 's/^set(TROMVISK_APP_ID \([^ )]*\).*/\1/p' CMakeLists.txt)

# Debian's Emscripten finds its JavaScript tools (acorn) through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
# Its system libraries are prebuilt: never let it try to rebuild them.
export EM_FROZEN_CACHE=1
# libmikmod for wasm, from Debian's source package (pinned, checksum-checked).
web/build-libmikmod.sh "$out/mikmod" >/dev/null
emcmake cmake -S web -B "$out" -DCMAKE_BUILD_TYPE=Release \
    -DTROMVISK_DEMO_XM="$PWD/$native/demo.xm" \
    -DTROMVISK_LIBMIKMOD_DIR="$PWD/$out/mikmod" -DTROMVISK_PAGE_URL="$url" \
    -DTROMVISK_CAPTURE="$PWD/$native/tromvisk-capture" \
    -DTROMVISK_ICON="$PWD/$native/packaging/icons/64x64/apps/$app_id.png" >/dev/null
cmake --build "$out" -j"$(nproc)"

download=$(cat "$out"/*.html "$out"/*.css "$out"/*.js "$out"/tromvisk.wasm "$out"/tromvisk.data | wc -c)
echo "Built $out/index.html: $download bytes to download"
if [ -n "$serve" ]; then
    echo "Serving the show at http://127.0.0.1:$port/ (Ctrl-C to stop)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out"
fi
