#!/usr/bin/env bash
# Installs what is missing, builds the show in Release with Debian's hardening
# flags and makes the Debian package tromvisk_<version>_amd64.deb here.
# Then lintian checks it, when it is installed (tools/install-packages.sh lintian).
set -euo pipefail

usage="usage: $0
Installs the missing Debian packages, builds the show in Release with Debian's hardening
flags in build-package/ and writes the Debian package tromvisk_<version>_amd64.deb here;
lintian checks it when lintian is installed."
for argument in "$@"; do
    case $argument in
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
cd "$(dirname "$0")"

source tools/packages.sh
# The package's dependencies come from dpkg-shlibdeps (dpkg-dev), which asks file.
tools/install-packages.sh "${build_packages[@]}" dpkg-dev file

build="build-package"
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
# No home page or published pictures yet: the package names none.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=OFF \
    -DTROMVISK_HOMEPAGE= -DTROMVISK_SCREENSHOT_URL= \
    -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -f "$build"/tromvisk_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(cd "$build" && ls tromvisk_*.deb)
cp "$build/$deb" .
echo "$PWD/$deb"
if command -v lintian >/dev/null; then
    report=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    echo "lintian: ${report:-no error or warning}"
fi
