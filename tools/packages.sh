#!/usr/bin/env bash
# The Debian packages of the project, in two lists: build_packages (what building
# the show, the capture, the icon and the benchmark needs) and test_packages
# (what ./test.sh adds to run every test). Sourced by the scripts that build
# (run.sh, test.sh, bench.sh, package.sh, tools/preview.sh, tools/snapshot.sh);
# each installs what it needs with one tools/install-packages.sh. Run, it prints
# a list, one package a line:
#   tools/packages.sh build|test
build_packages=(
    cmake make g++ pkg-config ca-certificates
    # The show: SDL 1.2, SDL_mixer 1.2, OpenGL with GLU.
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
    # The capture program: EGL off screen, FFmpeg's libraries, libmikmod for the music.
    libegl1 libegl-mesa0 libegl-dev libavformat-dev libavcodec-dev libswscale-dev
    libswresample-dev libavutil-dev libmikmod-dev
    # The desktop icon, cut out of a captured frame and written with libpng.
    libpng-dev
)
test_packages=(
    # GoogleTest, a virtual X display and its tools, the music players, valgrind,
    # FFmpeg (ffprobe for the capture, the ebur128 filter for the soundtrack's mix).
    xvfb xauth xdotool libx11-dev libxfixes-dev libgtest-dev openmpt123 xmp valgrind ffmpeg
    # The installed program and its package: validators, dpkg tools, a reader of the
    # machine-readable copyright format.
    desktop-file-utils appstream lintian groff mandoc dpkg-dev file util-linux python3-debian
    # The desktop tests: a window manager, a sound server and the tools that look at them.
    openbox pulseaudio pulseaudio-utils wmctrl x11-utils imagemagick
    # The same sound tests under PipeWire, through its PulseAudio server.
    pipewire pipewire-pulse wireplumber dbus
    # The Wayland session: sway with Xwayland, screenshots, keys, the tree read with jq, xhost
    # to let root's clients into Xwayland, and the virtual pointer's build (libwayland-dev).
    sway xwayland grim wtype jq x11-xserver-utils libwayland-dev
    # The web show and its tests: emscripten builds it and libmikmod from Debian's source
    # package (dpkg-dev unpacks it); Chromium with Mesa's Vulkan driver plays it, driven
    # from Node.js.
    emscripten chromium mesa-vulkan-drivers nodejs
    # Firefox ESR plays it too, with a window on the desktop tests' display.
    firefox-esr
)

# Sourced: the lists are all.
[ "${BASH_SOURCE[0]}" != "$0" ] && return 0

set -euo pipefail
usage="usage: $0 build|test   (prints that list of Debian packages, one a line)"
[ $# -eq 1 ] || { echo "$usage" >&2; exit 2; }
case $1 in
-h | --help) echo "$usage" ;;
build) printf '%s\n' "${build_packages[@]}" ;;
test) printf '%s\n' "${test_packages[@]}" ;;
*) echo "$usage" >&2; exit 2 ;;
esac
