#!/usr/bin/env bash
# Installs what is missing, builds the show with its tests and runs every test.
# Exits non-zero when any test fails.
#   ./test.sh --quick   builds, then runs only the quick loop (ctest label "quick")
set -euo pipefail

usage="usage: $0 [--quick]
Installs the missing Debian packages (apt-get, through sudo when not root), builds the
web show (./web.sh) and the show with its tests in Release in build/, runs every test
and exits non-zero when any fails. --quick installs nothing, builds the show and its
tests, and runs only the quick loop (ctest label quick)."
quick=
for argument in "$@"; do
    case $argument in
    -h | --help) echo "$usage"; exit 0 ;;
    --quick) quick=1 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
cd "$(dirname "$0")"

source tools/packages.sh
[ -n "$quick" ] || tools/install-packages.sh "${build_packages[@]}" "${test_packages[@]}"
# Installing packages may add their own files under /etc/apt (appstream does);
# from here on nothing of ours may change it.
apt_config_before=$(tools/etc-apt-hashes.sh)
# build/ is shared with run.sh and the tools: every option it depends on is set here
# (the packaging tests check the metainfo and package made without a home page).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTROMVISK_TESTS=ON -DTROMVISK_BENCH=ON \
    -DTROMVISK_HOMEPAGE= -DTROMVISK_SCREENSHOT_URL= >/dev/null
cmake --build build -j"$(nproc)"
if [ -z "$quick" ]; then
    # The web show for the browser tests, from the same native build's soundtrack.
    tests/web/install-driver.sh
    ./web.sh --native build >/dev/null
fi

status=0
# On a bare X server, without the desktop tests.
run_tests=(ctest --test-dir build --output-on-failure -j2 -LE 'desktop|wayland')
[ -n "$quick" ] && run_tests=(ctest --test-dir build --output-on-failure -j2 -L '^quick$')
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}" || status=1
else
    "${run_tests[@]}" || status=1
fi
if [ -z "$quick" ]; then
    # Then on a desktop of their own: window manager and sound server, started and stopped
    # there; the sound test again under PipeWire; then a Wayland session (sway, with Xwayland).
    tests/desktop/run-desktop-tests.sh build || status=1
    TROMVISK_SOUND_SERVER=pipewire tests/desktop/run-desktop-tests.sh build -- \
        ctest --test-dir build --output-on-failure -L desktop -R DesktopSound || status=1
    TROMVISK_DESKTOP_SESSION=sway tests/desktop/run-desktop-tests.sh build || status=1
fi
changed=$(diff <(echo "$apt_config_before") <(tools/etc-apt-hashes.sh) | awk '/^[<>]/ { print $3 }' | sort -u) || true
if [ -n "$changed" ]; then
    echo "test.sh: files under /etc/apt changed while testing:" $changed >&2
    status=1
fi
exit "$status"
