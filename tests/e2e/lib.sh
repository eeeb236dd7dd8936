# Sourced by the end-to-end scripts: the real viewer in a scratch working
# directory holding the shipped shader files. ctest sets ZEMLAVOR (the binary)
# and ZEMLAVOR_SHADERS (the shipped folder); the X display is $DISPLAY.
set -euo pipefail
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp "$ZEMLAVOR_SHADERS"/* "$work"/
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts the viewer with the given arguments (stdout to ./out, stderr to
# ./err) and waits until its window, $wid, is mapped.
start() {
    "$ZEMLAVOR" "$@" >out 2>err &
    pid=$!
    for _ in $(seq 200); do
        wid=$(xdotool search --onlyvisible --name '^Zemlavor$' 2>/dev/null | head -n 1) && [ -n "$wid" ] && return
        kill -0 "$pid" 2>/dev/null || fail "the viewer exited before its window opened"
        sleep 0.05
    done
    fail "no window"
}

# Waits up to $1 seconds (default 10) for the viewer to exit; $code is its
# exit status (137 if it had to be killed).
wait_exit() {
    timeout "${1:-10}" tail --pid="$pid" -f /dev/null || kill -9 "$pid"
    code=0
    wait "$pid" || code=$?
    pid=""
}

# Sends keys to the window. A quit key closes the window before its release
# is sent, which xdotool reports as an error: what a key did is checked by
# its effect instead.
key() { xdotool key --window "$wid" "$@" >/dev/null 2>&1 || true; }

expect_eq() { [ "$1" = "$2" ] || fail "${3:-value}: got '$1', want '$2'"; }

# Runs the viewer to its end with the given arguments (stdout to ./out,
# stderr to ./err) and sets $code to its exit status.
run_viewer() {
    code=0
    timeout 30 "$ZEMLAVOR" "$@" >out 2>err || code=$?
}
