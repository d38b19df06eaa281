#!/usr/bin/env bash
# Installs what is missing, builds the show in Release with Debian's hardening
# flags and makes the Debian package tromvisk_<version>_amd64.deb here.
# Then lintian checks it, when it is installed (tools/install-packages.sh lintian).
set -euo pipefail
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ pkg-config ca-certificates \
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
# The package: its dependencies (dpkg-shlibdeps), and the icon drawn off screen at build time.
tools/install-packages.sh dpkg-dev file libpng-dev libegl1 libegl-mesa0
# tromvisk-capture: EGL off screen, FFmpeg's libraries, libmikmod for the music.
tools/install-packages.sh libmikmod-dev libegl-dev libavformat-dev libavcodec-dev libswscale-dev \
    libswresample-dev libavutil-dev

build="build-package"
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=OFF -DTROMVISK_BENCH=OFF \
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
