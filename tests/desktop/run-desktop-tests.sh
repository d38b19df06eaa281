#!/usr/bin/env bash
# Runs the desktop tests (CTest label "desktop") on a desktop of their own: a
# 1280x1024 X server (Xvfb) with the openbox window manager, and a PulseAudio
# sound server whose only sink is a null sink named "probe". Everything it
# starts is stopped again when it ends, also when a test fails or it is
# interrupted.
#
#   tests/desktop/run-desktop-tests.sh BUILD_DIR                 # ctest -L desktop
#   tests/desktop/run-desktop-tests.sh BUILD_DIR -- COMMAND ...  # any command instead
#
# The command sees DISPLAY, PULSE_SERVER and TROMVISK_DESKTOP=1. With
# TROMVISK_SOUND_SERVER=pipewire the sound server is PipeWire's PulseAudio server.
# With TROMVISK_DESKTOP_SESSION=sway the desktop is a headless Wayland session
# instead (sway with Xwayland, 1280x1024, a virtual pointer, no sound server),
# for the tests labelled "wayland"; the command sees WAYLAND_DISPLAY, DISPLAY
# (Xwayland), SWAYSOCK, TROMVISK_POINTER and TROMVISK_WAYLAND=1.
set -euo pipefail

Usage() { sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; }
if [ $# -ge 1 ] && { [ "$1" = "--help" ] || [ "$1" = "-h" ]; }; then
    Usage
    exit 0
fi
if [ $# -lt 1 ]; then
    Usage >&2
    exit 2
fi
if [ ! -f "$1/CTestTestfile.cmake" ]; then
    echo "desktop tests: $1 is not a build folder with the tests (see ./test.sh)" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
readonly kSession=${TROMVISK_DESKTOP_SESSION:-openbox}
case "$kSession" in
openbox) command=(ctest --test-dir "$build" --output-on-failure -L desktop) ;;
sway) command=(ctest --test-dir "$build" --output-on-failure -L wayland) ;;
*)
    echo "desktop tests: TROMVISK_DESKTOP_SESSION must be openbox or sway" >&2
    exit 2
    ;;
esac
if [ $# -gt 0 ]; then
    [ "$1" = "--" ] && shift
    command=("$@")
fi

readonly kScreen=1280x1024x24
readonly kSoundServer=${TROMVISK_SOUND_SERVER:-pulseaudio}
case "$kSoundServer" in
pulseaudio | pipewire) ;;
*)
    echo "desktop tests: TROMVISK_SOUND_SERVER must be pulseaudio or pipewire" >&2
    exit 2
    ;;
esac
readonly kStartTimeoutTenths=200 # 20 s for each service to come up

run=$(mktemp -d /tmp/tromvisk-desktop-XXXXXX)
mkdir -p "$run/runtime" "$run/home" "$run/pulse"
chmod 700 "$run/runtime"
services=() # process ids, in the order started

# Every process this run starts carries the marker in its environment, so that
# the teardown finds a show or a recorder left behind by a failed test.
export TROMVISK_DESKTOP_RUN=$run

LeftOver() { # the marked processes other than this shell and the services
    local files file pid
    files=$(grep -lzxF "TROMVISK_DESKTOP_RUN=$run" /proc/[0-9]*/environ 2>/dev/null || true)
    while read -r file; do
        [ -n "$file" ] || continue
        pid=${file#/proc/}
        pid=${pid%/environ}
        case " $$ $BASHPID ${services[*]} " in
        *" $pid "*) continue ;;
        esac
        kill -0 "$pid" 2>/dev/null && echo "$pid"
    done <<<"$files"
    return 0
}

StopPids() { # TERM, up to two seconds' grace, then KILL
    [ $# -eq 0 ] && return 0
    kill -TERM "$@" 2>/dev/null || true
    for _ in $(seq 20); do
        kill -0 "$@" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$@" 2>/dev/null || true
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}

TearDown() {
    local status=$?
    trap - EXIT INT TERM
    # Left-over programs first, then the services, the last started first.
    local left i
    left=$(LeftOver)
    if [ -n "$left" ]; then
        echo "desktop tests: stopping left-over processes: ${left//$'\n'/ }" >&2
        # shellcheck disable=SC2086 # one process id a word
        StopPids $left
    fi
    for ((i = ${#services[@]} - 1; i >= 0; --i)); do
        StopPids "${services[i]}"
    done
    left=$(LeftOver)
    if [ -n "$left" ]; then
        echo "desktop tests: still running after the teardown: ${left//$'\n'/ }" >&2
        status=1
    fi
    rm -rf "$run"
    exit "$status"
}
trap TearDown EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

WaitFor() { # WHAT COMMAND...: polls until COMMAND succeeds
    local what=$1
    shift
    for _ in $(seq "$kStartTimeoutTenths"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "desktop tests: $what did not start" >&2
    cat "$run"/*.log >&2 2>/dev/null || true
    return 1
}

# Nothing of the caller's desktop may leak in.
unset WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_AUDIODRIVER XAUTHORITY DBUS_SESSION_BUS_ADDRESS
export HOME=$run/home XDG_RUNTIME_DIR=$run/runtime XDG_CONFIG_HOME=$run/home/.config \
    XDG_CACHE_HOME=$run/home/.cache

if [ "$kSession" = sway ]; then
    source "$(dirname "$0")/sway-session.sh"
    StartSway
    export TROMVISK_WAYLAND=1
    echo "desktop tests: WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY ($kScreen, sway" \
        "$(sway --version | sed 's/^sway version //'), Xwayland)"
    "${command[@]}"
    exit
fi

# The X server picks a free display number and writes it to fd 3. Without
# -noreset it resets when its last client leaves, and a client connecting then fails.
Xvfb -displayfd 3 -screen 0 "$kScreen" -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
services+=($!)
WaitFor "Xvfb" grep -q '[0-9]' "$run/display"
DISPLAY=":$(tr -dc '0-9' <"$run/display")"
export DISPLAY
WaitFor "Xvfb" xdpyinfo

openbox --sm-disable >"$run/openbox.log" 2>&1 &
services+=($!)
WaitFor "openbox" wmctrl -m

# An anonymous socket of our own; clients never start a server of their own.
printf 'autospawn = no\n' >"$run/client.conf"
export PULSE_CLIENTCONFIG=$run/client.conf PULSE_SERVER=unix:$run/pulse/native
readonly kNullSink=(sink_name=probe rate=44100 channels=2 sink_properties=device.description=probe)
if [ "$kSoundServer" = pulseaudio ]; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit=no \
        --log-target=stderr -L "module-null-sink ${kNullSink[*]}" \
        -L "module-native-protocol-unix socket=$run/pulse/native auth-anonymous=1" \
        -L module-always-sink >"$run/pulse.log" 2>&1 &
    services+=($!)
    WaitFor "PulseAudio" pactl info
else
    # PipeWire wants a session bus; its PulseAudio server listens in the runtime folder.
    export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
    # The graph runs at the show's rate: nothing is resampled on the way to the sink.
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    printf 'context.properties = { default.clock.rate = 44100 }\n' \
        >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/rate.conf"
    dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >"$run/dbus.log" 2>&1 &
    services+=($!)
    WaitFor "the session bus" test -S "$XDG_RUNTIME_DIR/bus"
    pipewire >"$run/pipewire.log" 2>&1 &
    services+=($!)
    WaitFor "PipeWire" test -S "$XDG_RUNTIME_DIR/pipewire-0"
    wireplumber >"$run/wireplumber.log" 2>&1 &
    services+=($!)
    pipewire-pulse >"$run/pipewire-pulse.log" 2>&1 &
    services+=($!)
    WaitFor "PipeWire's PulseAudio server" pactl info
    pactl load-module module-null-sink "${kNullSink[@]}" >/dev/null
    pactl set-default-sink probe
fi

export TROMVISK_DESKTOP=1
echo "desktop tests: DISPLAY=$DISPLAY ($kScreen, $(wmctrl -m | sed -n 's/^Name: //p')," \
    "$(pactl info | sed -n 's/^Server Name: //p')), PULSE_SERVER=$PULSE_SERVER"
"${command[@]}"
