#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ pkg-config ca-certificates \
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri \
    libegl1 libegl-mesa0 xvfb xauth xdotool libx11-dev libgtest-dev openmpt123 xmp valgrind
# The installed program and its package: validators, dpkg tools, the icon's PNG library.
tools/install-packages.sh desktop-file-utils appstream lintian groff mandoc dpkg-dev file \
    libpng-dev util-linux
# The desktop tests: a window manager, a sound server and the tools that look at them.
tools/install-packages.sh openbox pulseaudio pulseaudio-utils wmctrl x11-utils imagemagick xdotool \
    libxfixes-dev
# The offline music render (libmikmod directly, as SDL_mixer sets it up).
tools/install-packages.sh libmikmod-dev
# The music on the web: emscripten builds libmikmod from Debian's source package
# (dpkg-dev unpacks it), and the test plays it in Chromium driven from npm.
tools/install-packages.sh emscripten dpkg-dev chromium
command -v npm >/dev/null || tools/install-packages.sh npm

# The web show's tests: Chromium with Mesa's Vulkan driver, Node.js and its
# DevTools driver (tests/web/package-lock.json); ./web.sh builds the web show.
tools/install-packages.sh chromium mesa-vulkan-drivers nodejs
# npm ci starts from scratch: only when the lock file changed since the last install.
[ tests/web/node_modules/.package-lock.json -nt tests/web/package-lock.json ] ||
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
./web.sh >/dev/null
# The video capture: EGL off screen, FFmpeg's libraries (ffprobe for its tests; the
# soundtrack's mix tests measure loudness with FFmpeg's ebur128 filter).
tools/install-packages.sh libegl-dev libegl-mesa0 libavformat-dev libavcodec-dev libswscale-dev \
    libswresample-dev libavutil-dev ffmpeg

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"

status=0
# On a bare X server, without the desktop tests.
run_tests=(ctest --test-dir build --output-on-failure -j2 -LE desktop)
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}" || status=1
else
    "${run_tests[@]}" || status=1
fi
# Then on a desktop of their own: window manager and sound server, started and stopped there.
tests/desktop/run-desktop-tests.sh build || status=1
exit "$status"
