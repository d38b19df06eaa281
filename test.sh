#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"

source tools/packages.sh
packages=("${build_packages[@]}")
# The tests: GoogleTest, a virtual X display and its tools, the music players, valgrind,
# FFmpeg (ffprobe for the capture, the ebur128 filter for the soundtrack's mix).
packages+=(xvfb xauth xdotool libx11-dev libgtest-dev openmpt123 xmp valgrind ffmpeg)
# The installed program and its package: validators and dpkg tools.
packages+=(desktop-file-utils appstream lintian groff mandoc dpkg-dev file util-linux)
# The desktop tests: a window manager, a sound server and the tools that look at them.
packages+=(openbox pulseaudio pulseaudio-utils wmctrl x11-utils imagemagick libxfixes-dev)
# The same sound tests under PipeWire, through its PulseAudio server.
packages+=(pipewire pipewire-pulse wireplumber dbus)
# The Wayland session: sway with Xwayland, screenshots, keys, the tree read with jq, xhost to
# let root's clients into Xwayland, and the virtual pointer's build (libwayland-dev).
packages+=(sway xwayland grim wtype jq x11-xserver-utils libwayland-dev)
# The web show and its tests: emscripten builds it and libmikmod from Debian's source
# package (dpkg-dev unpacks it); Chromium with Mesa's Vulkan driver plays it, driven
# from Node.js.
packages+=(emscripten chromium mesa-vulkan-drivers nodejs)
tools/install-packages.sh "${packages[@]}"
tests/web/install-driver.sh
./web.sh >/dev/null

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"

status=0
# On a bare X server, without the desktop tests.
run_tests=(ctest --test-dir build --output-on-failure -j2 -LE 'desktop|wayland')
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}" || status=1
else
    "${run_tests[@]}" || status=1
fi
# Then on a desktop of their own: window manager and sound server, started and stopped there;
# the sound test again under PipeWire; then a Wayland session (sway, with Xwayland).
tests/desktop/run-desktop-tests.sh build || status=1
TROMVISK_SOUND_SERVER=pipewire tests/desktop/run-desktop-tests.sh build -- \
    ctest --test-dir build --output-on-failure -L desktop -R DesktopSound || status=1
TROMVISK_DESKTOP_SESSION=sway tests/desktop/run-desktop-tests.sh build || status=1
exit "$status"
