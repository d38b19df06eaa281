#!/usr/bin/env bash
# Builds libmikmod for the web (WebAssembly, with emcc) from Debian's source
# package: only the files that play an XM module through the no-output driver.
#
#   web/build-libmikmod.sh OUTDIR
#
# Writes OUTDIR/lib/libmikmod.a and OUTDIR/include/mikmod.h; the source is
# fetched into OUTDIR/source (its licence in libmikmod-3.3.11.1/COPYING.LIB, its
# name and version in SOURCE-PACKAGE). Does nothing when they are up to date.
set -euo pipefail

usage="usage: $0 OUTDIR   (builds OUTDIR/lib/libmikmod.a and OUTDIR/include/mikmod.h with emcc)"
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
esac
if [ $# -ne 1 ] || [ "${1:0:1}" = "-" ]; then
    echo "$usage" >&2
    exit 2
fi

# The upstream release (fetched and checked by fetch-libmikmod-source.sh).
readonly kPackage=libmikmod
readonly kUpstream=3.3.11.1

# What the player needs, and nothing of the platform drivers (those pull in
# ALSA, PulseAudio, SDL...). mloader.c refers to the depackers; the music
# render registers every loader, as SDL_mixer does (the XM one is what plays
# the show's module).
readonly kSources=(
    mmio/mmalloc.c mmio/mmerror.c mmio/mmio.c
    playercode/mdreg.c playercode/mdriver.c playercode/mdulaw.c playercode/mloader.c
    playercode/mlreg.c playercode/mlutil.c playercode/mplayer.c playercode/munitrk.c
    playercode/mwav.c playercode/npertab.c playercode/sloader.c playercode/virtch.c
    playercode/virtch2.c playercode/virtch_common.c
    depackers/mmcmp.c depackers/pp20.c depackers/s404.c depackers/xpk.c
    drivers/drv_nos.c posix/strcasecmp.c
    loaders/load_669.c loaders/load_amf.c loaders/load_asy.c loaders/load_dsm.c
    loaders/load_far.c loaders/load_gdm.c loaders/load_imf.c loaders/load_it.c
    loaders/load_m15.c loaders/load_med.c loaders/load_mod.c loaders/load_mtm.c
    loaders/load_okt.c loaders/load_s3m.c loaders/load_stm.c loaders/load_stx.c
    loaders/load_ult.c loaders/load_umx.c loaders/load_uni.c loaders/load_xm.c
)

# No config.h: the few facts the sources ask about are given here. No driver
# but the no-output one is compiled in. On wasm32 (long is 32 bits) libmikmod
# mixes with its 32-bit mixers, which differ from the amd64 build's in a few
# samples at note starts. Forcing its 64-bit mixers (NATIVE_64BIT_INT) is
# worse: its output stage then divides negative sums with signed instead of
# unsigned long arithmetic and a third of all samples differ by one.
readonly kCFlags=(
    -O2 -DMIKMOD_BUILD -DMIKMOD_STATIC
    -DHAVE_LIMITS_H -DHAVE_STDINT_H -DHAVE_INTTYPES_H -DHAVE_STDLIB_H -DHAVE_STRING_H
    -DHAVE_UNISTD_H -DHAVE_FCNTL_H -DHAVE_MEMCMP -DHAVE_STRSTR -DHAVE_SNPRINTF
    -DHAVE_SETENV -DHAVE_SRANDOM -DMIKMOD_UNIX=1
    -Wno-unused-parameter -Wno-sign-compare
)

out=$(mkdir -p "$1" && cd "$1" && pwd)
# One build at a time in OUTDIR (web.sh and the web audio test share one).
exec 9>"$out/.build-lock"
flock 9
# Debian's emscripten finds its acorn only here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

"$(dirname "$0")/fetch-libmikmod-source.sh" "$out/source" >/dev/null
src="$out/source/$kPackage-$kUpstream"
source_package=$(cat "$out/source/SOURCE-PACKAGE")

stamp="$out/lib/libmikmod.stamp"
want_stamp="$source_package $(printf '%s ' "${kSources[@]}" "${kCFlags[@]}") $(emcc --version | sed -n 1p)"
if [ -f "$out/lib/libmikmod.a" ] && [ -f "$out/include/mikmod.h" ] && [ -f "$stamp" ] &&
    [ "$(cat "$stamp")" = "$want_stamp" ]; then
    exit 0
fi

obj="$out/obj"
rm -rf "$obj" "$out/lib" "$out/include"
mkdir -p "$obj" "$out/lib" "$out/include"

echo "build-libmikmod: compiling ${#kSources[@]} files of $source_package with emcc"
objects=()
for file in "${kSources[@]}"; do
    object="$obj/$(basename "${file%.c}").o"
    objects+=("$object")
done
# Two at a time: the machines have two cores.
printf '%s\n' "${kSources[@]}" | xargs -P 2 -I{} sh -c \
    'f={}; exec emcc "$@" -I"'"$src"'/include" -c "'"$src"'/$f" -o "'"$obj"'/$(basename "${f%.c}").o"' \
    emcc "${kCFlags[@]}"
emar rcs "$out/lib/libmikmod.a" "${objects[@]}"
cp "$src/include/mikmod.h" "$out/include/mikmod.h"
echo "$want_stamp" >"$stamp"
echo "build-libmikmod: wrote $out/lib/libmikmod.a"
