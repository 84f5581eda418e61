# Sourced by the scripts that need an X display on a machine without one.
# start_xvfb SCREEN starts Xvfb on a free display number, exports DISPLAY and
# stops the server when the calling script exits. The server never resets: by
# default an X server starts over when its last client leaves, and a client that
# connects meanwhile (the next program a test starts) is refused.

start_xvfb() {
    xvfb_number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$xvfb_number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    trap stop_xvfb EXIT
    for _ in $(seq 100); do
        [ -s "$xvfb_number_file" ] && break
        sleep 0.1
    done
    DISPLAY=":$(cat "$xvfb_number_file")"
    export DISPLAY
    rm -f "$xvfb_number_file"
}

stop_xvfb() {
    kill "$xvfb_pid" 2>/dev/null || true
}
