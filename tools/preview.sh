#!/usr/bin/env bash
# Makes the README's animated preview: a few seconds of each act of the show,
# captured with tromvisk-capture and put together as an animated WebP.
#   tools/preview.sh [OUTPUT]     (default docs/preview.webp)
# The file must stay under 4 MB; the script fails if it does not.
set -euo pipefail
usage="usage: $0 [OUTPUT]   (default docs/preview.webp)
Captures a few seconds of each act (build/tromvisk-capture) and writes them as an
animated WebP under 4 MB."
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
-*) echo "$usage" >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "$usage" >&2; exit 2; }
output=$(realpath -m -- "${1:-$(dirname "$0")/../docs/preview.webp}")
cd "$(dirname "$0")/.."

size=400x300 # the show's own 4:3
fps=15
max_bytes=$((4 * 1024 * 1024))
# Highlights, as "from to": the opening banner over the grid, the cube group,
# the address being typed, the spiral from low down, the greetings, the end title.
highlights=("6 8" "28 30.5" "57 59" "80 82.5" "95 96.5" "103 104")

source tools/packages.sh
tools/install-packages.sh "${build_packages[@]}" ffmpeg
# build/ is shared with run.sh and test.sh: every option it depends on is set here.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target tromvisk-capture soundtrack_xm >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/all"
n=0
for highlight in "${highlights[@]}"; do
    read -r from to <<<"$highlight"
    build/tromvisk-capture --quiet --no-music --size "$size" --fps "$fps" --aa 4 \
        --from "$from" --to "$to" "$work/part"
    for frame in "$work"/part/frame_*.png; do
        mv "$frame" "$(printf '%s/all/frame_%06d.png' "$work" "$n")"
        n=$((n + 1))
    done
    rm -rf "$work/part"
done

mkdir -p "$(dirname "$output")"
ffmpeg -v error -y -framerate "$fps" -start_number 0 -i "$work/all/frame_%06d.png" \
    -c:v libwebp_anim -lossless 0 -quality 70 -compression_level 6 -loop 0 "$work/preview.webp"
bytes=$(stat -c %s "$work/preview.webp")
if [ "$bytes" -ge "$max_bytes" ]; then
    echo "preview is $bytes bytes, over 4 MB" >&2
    exit 1
fi
mv "$work/preview.webp" "$output"
echo "$output: $n frames, $bytes bytes"
