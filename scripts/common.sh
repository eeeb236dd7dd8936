# Shared by the scripts in this folder: sourced, not run.

# Debian packages the build, the tests and the screenshot tools need.
ZEMLAVOR_PACKAGES=(cmake make g++ pkg-config freeglut3-dev libglew-dev libglu1-mesa-dev
    libgl1-mesa-dri libx11-dev libxtst-dev libgtest-dev libbenchmark-dev jq xvfb xdotool x11-utils
    imagemagick libpng-dev libcli11-dev libassimp-dev libmeshoptimizer-dev python3)

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
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
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
