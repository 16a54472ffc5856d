# Sourced by the scripts that run tovrel under Wine. Gives them a Wine prefix
# of their own, a display (a virtual one when none is set) and a trap that
# stops everything they started, whether they succeed or fail.

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# wine_session_start PREFIX: prepares PREFIX and a display for the programs.
wine_session_start() {
    trap wine_session_stop EXIT
    trap 'exit 130' INT TERM

    if [ -z "${DISPLAY:-}" ] || [ -n "${TOVREL_VIRTUAL_DISPLAY:-}" ]; then
        local n=90
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
            n=$((n + 1))
        done
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        wine_session_xvfb=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "the virtual display :$n did not start" >&2
            return 1
        fi
    fi

    wine_env "$1"
    # A test run cut short may have left the display at another DPI.
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
}

wine_session_stop() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${wine_session_xvfb:-}" ]; then
        kill "$wine_session_xvfb" >/dev/null 2>&1 || true
        wait "$wine_session_xvfb" 2>/dev/null || true
    fi
    return $status
}
