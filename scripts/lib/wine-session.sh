# Sourced by the scripts that run tovrel under Wine. Gives them a Wine prefix
# of their own, a display (a virtual one when none is set) and a trap that
# stops everything they started, whether they succeed or fail.

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# wine_session_start PREFIX BUILD: prepares PREFIX for the BUILD that
# wine_choose_build chose, and a display for the programs.
wine_session_start() {
    trap wine_session_stop EXIT
    trap 'exit 130' INT TERM

    if [ -z "${DISPLAY:-}" ] || [ -n "${TOVREL_VIRTUAL_DISPLAY:-}" ]; then
        # Xvfb takes a free display number itself and names it once it
        # listens, so that two runs at once never share a display.
        local number
        number=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
        wine_session_xvfb=$!
        for _ in $(seq 100); do
            [ -s "$number" ] && break
            sleep 0.1
        done
        if [ ! -s "$number" ]; then
            rm -f "$number"
            echo "the virtual display (Xvfb) did not start" >&2
            return 1
        fi
        export DISPLAY=":$(head -n 1 "$number")"
        rm -f "$number"
    fi

    wine_env "$1" "$2"
    # A test run cut short may have left the display at another DPI.
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
}

# wine_session_stop [STATUS]: stops them; returns STATUS, by default the status
# it was called with, so that an EXIT trap keeps the script's own.
wine_session_stop() {
    local status=${1:-$?}
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${wine_session_xvfb:-}" ]; then
        kill "$wine_session_xvfb" >/dev/null 2>&1 || true
        wait "$wine_session_xvfb" 2>/dev/null || true
    fi
    return $status
}
