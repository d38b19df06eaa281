# The headless Wayland session of the desktop tests, sourced by
# run-desktop-tests.sh (which provides run, services, kScreen and WaitFor and
# stops every service again): sway with Xwayland on one 1280x1024 output drawn
# in software, and a virtual pointer that tests move through a pipe.
#
# sway refuses to run as root, so it runs as nobody in a folder of its own;
# Xwayland then lets root's clients in (xhost). The virtual pointer is stopped
# after sway: a compositor may crash when a virtual pointer leaves while it runs.

StartSway() {
    local session=$run/sway width=${kScreen%%x*} height
    height=${kScreen#*x}
    height=${height%%x*}
    local pointer_program
    pointer_program=$(find "$build" -name virtual_pointer -type f -perm -u+x -print -quit)
    if [ -z "$pointer_program" ]; then
        echo "desktop tests: no virtual_pointer in $build (build with TROMVISK_TESTS=ON)" >&2
        return 1
    fi
    chmod 711 "$run"
    mkdir -p "$session/runtime" "$session/home"
    chmod 700 "$session/runtime"
    # Pointer locks and confinements are on by default, but sway 1.7 applies
    # none until a seat is configured. No for_window rule floats the show's
    # window: the tests float it once it is up full screen (wayland_test.cpp).
    cat >"$session/config" <<CONFIG
xwayland force
seat * pointer_constraint enable
output HEADLESS-1 resolution ${width}x${height} position 0 0
exec sh -c 'xhost +si:localuser:root >/dev/null && printf "%s\\n" "\$WAYLAND_DISPLAY" "\$DISPLAY" "\$SWAYSOCK" >"$session/names.new" && mv "$session/names.new" "$session/names"'
CONFIG
    chown -R nobody:nogroup "$session"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$session/home" XDG_RUNTIME_DIR="$session/runtime" \
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_HEADLESS_OUTPUTS=1 \
        sway -c "$session/config" >"$run/sway.log" 2>&1 &
    services+=($!)
    WaitFor "sway with Xwayland" test -f "$session/names"
    export XDG_RUNTIME_DIR=$session/runtime
    WAYLAND_DISPLAY=$(sed -n 1p "$session/names")
    DISPLAY=$(sed -n 2p "$session/names")
    SWAYSOCK=$(sed -n 3p "$session/names")
    export WAYLAND_DISPLAY DISPLAY SWAYSOCK
    WaitFor "Xwayland" xdpyinfo

    # Commands go in through a pipe the pointer itself holds open; it answers in a file.
    export TROMVISK_POINTER=$run/pointer
    mkfifo "$TROMVISK_POINTER"
    "$pointer_program" "$width" "$height" <>"$TROMVISK_POINTER" >"$TROMVISK_POINTER.answers" \
        2>"$run/pointer.log" &
    services=($! "${services[@]}")
    WaitFor "the virtual pointer" grep -qx ready "$TROMVISK_POINTER.answers"
}
