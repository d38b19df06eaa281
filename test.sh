#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
set -euo pipefail

usage="usage: $0
Installs the missing Debian packages (apt-get, through sudo when not root), builds the
web show (./web.sh) and the show with its tests in Release in build/, runs every test
and exits non-zero when any fails."
for argument in "$@"; do
    case $argument in
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
cd "$(dirname "$0")"

source tools/packages.sh
tools/install-packages.sh "${build_packages[@]}" "${test_packages[@]}"
# Installing packages may add their own files under /etc/apt (appstream does);
# from here on nothing of ours may change it.
apt_config_before=$(tools/etc-apt-hashes.sh)
tests/web/install-driver.sh
./web.sh >/dev/null

# build/ is shared with run.sh and the tools: every option it depends on is set here
# (the packaging tests check the metainfo and package made without a home page).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON -DTROMVISK_BENCH=ON \
    -DTROMVISK_HOMEPAGE= -DTROMVISK_SCREENSHOT_URL= >/dev/null
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
changed=$(diff <(echo "$apt_config_before") <(tools/etc-apt-hashes.sh) | awk '/^[<>]/ { print $3 }' | sort -u) || true
if [ -n "$changed" ]; then
    echo "test.sh: files under /etc/apt changed while testing:" $changed >&2
    status=1
fi
exit "$status"
