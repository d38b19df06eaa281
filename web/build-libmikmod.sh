#!/usr/bin/env bash
# Builds libmikmod for the web (WebAssembly, with emcc) from Debian's source
# package: only the files that play an XM module through the no-output driver.
#
#   web/build-libmikmod.sh OUTDIR
#
# Writes OUTDIR/lib/libmikmod.a and OUTDIR/include/mikmod.h; the source is
# unpacked under OUTDIR/source. Does nothing when they are up to date.
set -euo pipefail

if [ $# -ne 1 ] || [ "$1" = "--help" ] || [ "$1" = "-h" ]; then
    echo "usage: $0 OUTDIR   (builds OUTDIR/lib/libmikmod.a and OUTDIR/include/mikmod.h with emcc)" >&2
    [ $# -eq 1 ] && exit 0
    exit 2
fi

# The version Debian 12 ships, and the checksum of its upstream tarball.
readonly kPackage=libmikmod
readonly kVersion=3.3.11.1-7
readonly kUpstream=3.3.11.1
readonly kOrigSha256=ad9d64dfc8f83684876419ea7cd4ff4a41d8bcd8c23ef37ecb3a200a16b46d19

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

stamp="$out/lib/libmikmod.stamp"
want_stamp="$kVersion $(printf '%s ' "${kSources[@]}" "${kCFlags[@]}") $(emcc --version | sed -n 1p)"
if [ -f "$out/lib/libmikmod.a" ] && [ -f "$out/include/mikmod.h" ] && [ -f "$stamp" ] &&
    [ "$(cat "$stamp")" = "$want_stamp" ]; then
    exit 0
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# A deb-src entry for the repository the binary package comes from, derived
# from its deb entry, when there is none yet.
EnsureSourceEntry() {
    if apt-cache showsrc "$kPackage" 2>/dev/null | grep -qx "Version: $kVersion"; then
        return
    fi
    # " 500 http://deb.debian.org/debian bookworm/main amd64 Packages"
    local line uri suite component
    line=$(apt-cache policy libmikmod3 |
        awk -v v="$kVersion" '$1=="***"{$1=""; $0=$0} $1==v{f=1; next} f && $2 ~ /:\/\// {print; exit}')
    if [ -z "$line" ]; then
        echo "build-libmikmod: no Debian repository offers libmikmod3 $kVersion" >&2
        exit 1
    fi
    uri=$(awk '{print $2}' <<<"$line")
    suite=$(awk '{split($3, p, "/"); print p[1]}' <<<"$line")
    component=$(awk '{split($3, p, "/"); print p[2]}' <<<"$line")
    echo "build-libmikmod: adding deb-src $uri $suite $component"
    echo "deb-src $uri $suite $component" |
        as_root tee /etc/apt/sources.list.d/tromvisk-deb-src.list >/dev/null
    as_root flock /tmp/apt.lock apt-get update -qq
}

# Fetches and unpacks the source package into $out/source (dpkg-source checks
# the .dsc's checksums); the upstream tarball is checked against the pin.
FetchSource() {
    local unpacked="$out/source/$kPackage-$kUpstream"
    if [ -f "$unpacked/.tromvisk-unpacked" ]; then
        return
    fi
    command -v dpkg-source >/dev/null || as_root flock /tmp/apt.lock apt-get install -y -qq --no-install-recommends dpkg-dev >/dev/null
    EnsureSourceEntry
    rm -rf "$out/source"
    mkdir -p "$out/source"
    # apt warns that it downloads as root, outside its sandbox: expected here.
    (cd "$out/source" && flock /tmp/apt.lock apt-get source -qq --only-source "$kPackage=$kVersion" \
        >/dev/null 2> >(grep -v "unsandboxed" >&2))
    local tarball="$out/source/${kPackage}_$kUpstream.orig.tar.gz"
    if ! echo "$kOrigSha256  $tarball" | sha256sum --check --status; then
        echo "build-libmikmod: checksum mismatch for $tarball" >&2
        rm -rf "$out/source"
        exit 1
    fi
    touch "$unpacked/.tromvisk-unpacked"
}

FetchSource
src="$out/source/$kPackage-$kUpstream"
obj="$out/obj"
rm -rf "$obj" "$out/lib" "$out/include"
mkdir -p "$obj" "$out/lib" "$out/include"

echo "build-libmikmod: compiling ${#kSources[@]} files of $kPackage $kVersion with emcc"
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
