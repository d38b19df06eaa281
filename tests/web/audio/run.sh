#!/usr/bin/env bash
# Builds the web audio test page (libmikmod and the web mixer for wasm, the
# native reference render, the browser driver from npm) and runs its test in
# headless Chromium.
#
#   tests/web_audio/run.sh OUTDIR REFERENCE_TOOL MODULE
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 OUTDIR REFERENCE_TOOL MODULE" >&2
    exit 2
fi
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
reference_tool=$2
module=$3
export NODE_PATH=/usr/share/nodejs # Debian's emscripten finds its acorn here
# Where the faded render starts fading, and for how long (the show's fade).
export WEB_AUDIO_FADE_AFTER_CHUNKS=100 WEB_AUDIO_FADE_MS=1000

# The same libmikmod as web.sh builds, in the same place: built once.
mikmod="$source_dir/build-web/mikmod"
"$source_dir/web/build-libmikmod.sh" "$mikmod"

# The page's wasm: the web mixer over the shared music render, and the show's
# own loader; the module packaged as the show's is.
page_build="$out/build"
mkdir -p "$page_build"
sources=(
    "$source_dir/web/mixer/web_mixer.cpp"
    "$source_dir/web/mixer/sdl_error.cpp"
    "$source_dir/src/music/music_render.cpp"
    "$source_dir/src/host/music.cpp"
    "$source_dir/tests/web_audio/audio_test_main.cpp"
)
wasm="$page_build/audio_test.wasm"
stale=0
for input in "${sources[@]}" "$mikmod/lib/libmikmod.a" "$module" "$0" \
    "$source_dir/web/mixer/web_music.h" "$source_dir/src/music/music_render.h"; do
    [ -f "$wasm" ] && [ "$input" -ot "$wasm" ] || stale=1
done
if [ "$stale" -eq 1 ]; then
    cp "$module" "$page_build/demo.xm"
    (cd "$page_build" && emcc -std=c++17 -O2 -Wall -Wextra -fexceptions \
        -I"$source_dir/src" -I"$source_dir/web/mixer" -I"$mikmod/include" \
        "${sources[@]}" "$mikmod/lib/libmikmod.a" \
        -sEXPORTED_FUNCTIONS=_main,_malloc,_free \
        -sEXPORTED_RUNTIME_METHODS=ccall,UTF8ToString,FS \
        -sALLOW_MEMORY_GROWTH=1 \
        --preload-file demo.xm@/demo.xm \
        -o audio_test.js)
fi

# The native renders: the whole module, and faded out as the test page fades it.
"$reference_tool" "$module" "$page_build/reference.wav" 2> >(grep -v "^CRITICAL" >&2)
"$reference_tool" "$module" "$page_build/reference-fade.wav" \
    "$WEB_AUDIO_FADE_AFTER_CHUNKS" "$WEB_AUDIO_FADE_MS" 2> >(grep -v "^CRITICAL" >&2)

# The browser driver, from npm: the web tests' install when it is up to date
# (test.sh makes it), else one of our own in the build tree.
node_dir="$source_dir/tests/web"
if [ ! -d "$node_dir/node_modules/puppeteer-core" ] ||
    [ ! "$node_dir/node_modules/.package-lock.json" -nt "$node_dir/package-lock.json" ]; then
    node_dir="$out/node"
    mkdir -p "$node_dir"
    if ! cmp -s "$source_dir/tests/web/package-lock.json" "$node_dir/package-lock.json" ||
        [ ! -d "$node_dir/node_modules/puppeteer-core" ]; then
        cp "$source_dir/tests/web/package.json" "$source_dir/tests/web/package-lock.json" "$node_dir/"
        (cd "$node_dir" && npm ci --no-audit --no-fund --loglevel=error)
    fi
fi

NODE_PATH="$node_dir/node_modules" WEB_AUDIO_BUILD="$page_build" WEB_AUDIO_SOURCE="$source_dir" \
    CHROMIUM="${CHROMIUM:-/usr/bin/chromium}" \
    node --test --test-reporter=spec "$source_dir/tests/web_audio/web_audio_test.js"
