#!/usr/bin/env bash
# Fetches Debian's (or Ubuntu's) source package of libmikmod 3.3.11.1 and
# unpacks it, through a private apt configuration under OUTDIR: its own
# deb-src entries derived from the system's entries (with their Signed-By), its
# own lists, cache and status. It needs no root and writes nothing outside
# OUTDIR; the system's apt configuration is only read.
#
#   web/fetch-libmikmod-source.sh OUTDIR
#
# Leaves the source in OUTDIR/libmikmod-3.3.11.1 and the name and version of
# the source package in OUTDIR/SOURCE-PACKAGE. Does nothing when they are there.
# Offline, put the source package's .dsc and tarballs in OUTDIR/download.
set -euo pipefail

usage="usage: $0 OUTDIR   (fetches and unpacks libmikmod's source package into OUTDIR)"
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
esac
if [ $# -ne 1 ] || [ "${1:0:1}" = "-" ]; then
    echo "$usage" >&2
    exit 2
fi

readonly kPackage=libmikmod
# The upstream release the web build is made from, and its tarball's checksum:
# any Debian or Ubuntu packaging of it will do.
readonly kUpstream=3.3.11.1
readonly kOrigSha256=ad9d64dfc8f83684876419ea7cd4ff4a41d8bcd8c23ef37ecb3a200a16b46d19

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
unpacked="$out/$kPackage-$kUpstream"
[ -f "$unpacked/.tromvisk-unpacked" ] && [ -f "$out/SOURCE-PACKAGE" ] && exit 0

Fail() {
    echo "fetch-libmikmod-source: $*" >&2
    exit 1
}

# The private configuration. The system's lists of sources are read, never
# written; everything apt writes goes under $apt.
apt="$out/apt"
rm -rf "$apt"
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
: >"$apt/sources.list"
: >"$apt/status"
eval "$(apt-config shell system_list Dir::Etc::sourcelist/f system_parts Dir::Etc::sourceparts/d)"
system_files=()
[ -f "$system_list" ] && system_files+=("$system_list")
for file in "$system_parts"/*.list "$system_parts"/*.sources; do
    [ -f "$file" ] && system_files+=("$file")
done
[ ${#system_files[@]} -gt 0 ] || Fail "no apt sources found in $system_list or $system_parts"
awk -f "$here/../tools/apt-source-entries.awk" "${system_files[@]}" >"$apt/sources.list.d/system.sources"
[ -s "$apt/sources.list.d/system.sources" ] ||
    Fail "no deb entries found in the system's apt sources (${system_files[*]})"

apt_options=(
    -o "Dir::Etc::SourceList=$apt/sources.list"
    -o "Dir::Etc::SourceParts=$apt/sources.list.d"
    -o "Dir::State::Lists=$apt/lists"
    -o "Dir::State::status=$apt/status"
    -o "Dir::Cache=$apt/cache"
    -o "Debug::NoLocking=true"
)
# As root apt would hand the download to its _apt user, who may not write here.
[ "$(id -u)" -eq 0 ] && apt_options+=(-o "APT::Sandbox::User=root")

download="$out/download"
mkdir -p "$download"
dsc=$(find "$download" -maxdepth 1 -name "${kPackage}_$kUpstream-*.dsc" -print -quit)
if [ -z "$dsc" ]; then
    echo "fetch-libmikmod-source: reading the source lists of the system's repositories"
    apt-get "${apt_options[@]}" -qq update ||
        Fail "could not read the source lists of the system's repositories; check the network, or put $kPackage's source package ($kUpstream) in $download"
    # Any packaging of the pinned upstream release: "3.3.11.1-7", "3.3.11.1-6ubuntu2"...
    version=$(apt-cache "${apt_options[@]}" showsrc "$kPackage" 2>/dev/null |
        awk -v up="$kUpstream" '$1 == "Version:" { v = $2; sub(/^[0-9]+:/, "", v); if (index(v, up "-") == 1) print $2 }' |
        sort -V | tail -n 1)
    [ -n "$version" ] ||
        Fail "no repository of this system offers $kPackage $kUpstream as source; put its source package (.dsc and tarballs) in $download"
    echo "fetch-libmikmod-source: downloading $kPackage $version"
    (cd "$download" && apt-get "${apt_options[@]}" -qq source --download-only "$kPackage=$version" >/dev/null)
    dsc=$(find "$download" -maxdepth 1 -name "${kPackage}_${version#*:}.dsc" -print -quit)
    [ -n "$dsc" ] || Fail "apt did not leave ${kPackage}_${version#*:}.dsc in $download"
fi

tarball="$download/${kPackage}_$kUpstream.orig.tar.gz"
[ -f "$tarball" ] || Fail "$tarball is missing"
echo "$kOrigSha256  $tarball" | sha256sum --check --status ||
    Fail "$tarball is not upstream $kPackage $kUpstream (its SHA-256 differs from the pinned one)"

# dpkg-source checks the tarballs against the .dsc and applies the packaging's patches.
rm -rf "$unpacked"
dpkg-source --no-copy -x "$dsc" "$unpacked" >"$out/dpkg-source.log" 2>&1 ||
    Fail "dpkg-source could not unpack $dsc (see $out/dpkg-source.log)"
version=$(awk '$1 == "Version:" { print $2; exit }' "$dsc")
echo "$kPackage $version" >"$out/SOURCE-PACKAGE"
touch "$unpacked/.tromvisk-unpacked"
echo "fetch-libmikmod-source: unpacked $kPackage $version in $unpacked"
