#!/usr/bin/env bash
# Runs the web audio test in headless Chromium: the test page's wasm from
# the web build, the native reference renders made here into OUTDIR, the
# browser driver from npm. Exits 77 (skipped) without the web build.
#
#   tests/web/audio/run.sh OUTDIR REFERENCE_TOOL MODULE WEB_BUILD
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 OUTDIR REFERENCE_TOOL MODULE WEB_BUILD" >&2
    exit 2
fi
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
reference_tool=$2
module=$3
web_build=$4
# Where the faded render starts fading, and for how long (the show's fade).
export WEB_AUDIO_FADE_AFTER_CHUNKS=100 WEB_AUDIO_FADE_MS=1000

# The page's wasm (the web mixer over the shared music render, and the
# show's own loader) is built by web/CMakeLists.txt with the web show.
page_build="$out/build"
mkdir -p "$page_build"
for name in audio_test.js audio_test.wasm audio_test.data; do
    if [ ! -f "$web_build/audio-test/$name" ]; then
        echo "no $web_build/audio-test/$name: build the web show first (./web.sh)" >&2
        exit 77
    fi
    cp "$web_build/audio-test/$name" "$page_build/"
done

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
    node --test --test-reporter=spec "$source_dir/tests/web/audio/web_audio_test.js"
