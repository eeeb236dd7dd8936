# Shared by the scripts in this folder: sourced, not run.

# Debian packages the build, the tests and the screenshot tools need.
ZEMLAVOR_PACKAGES=(cmake make g++ pkg-config freeglut3-dev libglew-dev libglu1-mesa-dev
    libgl1-mesa-dri libx11-dev libxtst-dev libgtest-dev libbenchmark-dev jq xvfb xdotool x11-utils
    imagemagick libpng-dev libcli11-dev libassimp-dev libmeshoptimizer-dev python3 libimgui-dev
    libstb-dev fonts-dejavu-core)

# Installs whichever of the packages are missing (needs root).
ensure_packages() {
    local missing=()
    local p
    for p in "${ZEMLAVOR_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}; run this as root to install them." >&2
        return 1
    fi
    echo "Installing ${missing[*]}"
    apt_get update && apt_get install -y --no-install-recommends "${missing[@]}" ||
        { echo "Not installed: ${missing[*]}" >&2; return 1; }
}

# Runs apt-get quietly with the given arguments. While another package job
# holds a lock, waits for it, up to two minutes: dpkg's lock through apt's own
# timeout, the package lists' lock (which that timeout does not cover) by
# trying again every 5 s. On failure, says why after apt's own message.
apt_get() {
    local deadline=$((SECONDS + 120)) err
    while ! err=$(LC_ALL=C DEBIAN_FRONTEND=noninteractive \
        apt-get -o DPkg::Lock::Timeout=120 -qq "$@" 2>&1 >/dev/null); do
        if [[ $err != *"Could not get lock"* ]]; then
            printf '%s\n' "$err" "apt-get $1 failed: its message is above." >&2
            return 1
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            printf '%s\n' "$err" "Another package job (named above) still holds apt's lock after" \
                "two minutes; run this again when it has finished." >&2
            return 1
        fi
        sleep 5
    done
}

# True when $DISPLAY names an X server that answers.
display_works() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Starts Xvfb on the first free display number and exports DISPLAY; the
# server is stopped when the calling shell exits.
start_xvfb() {
    local n
    for n in $(seq 90 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -noreset -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        ZEMLAVOR_XVFB_PID=$!
        trap 'kill "$ZEMLAVOR_XVFB_PID" 2>/dev/null || true' EXIT
        export DISPLAY=":$n"
        local i
        for i in $(seq 100); do
            display_works && return 0
            kill -0 "$ZEMLAVOR_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$ZEMLAVOR_XVFB_PID" 2>/dev/null || true
    done
    echo "Could not start a virtual X server (Xvfb)." >&2
    return 1
}

# Configures and builds into folder $1 with extra cmake arguments after it;
# only target $ZEMLAVOR_TARGET when that is set.
build_into() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" ${ZEMLAVOR_TARGET:+--target "$ZEMLAVOR_TARGET"}
}
