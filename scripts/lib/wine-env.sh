# The one definition of the Wine environment tovrel runs and is tested in:
# sourced by cmake/wine-run (through which ctest runs every test) and by the
# scripts. Never the user's own ~/.wine.

# wine_env PREFIX: exports the environment and prepares PREFIX on first use.
wine_env() {
    export WINEPREFIX=$1
    # Code page 936, the program's target; Wine also needs the host locale to
    # create and open files with Chinese names.
    export LC_ALL=zh_CN.UTF-8
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
    if [ "$(cat "$WINEPREFIX/.tovrel-prefix" 2>/dev/null)" != "$wine_env_version" ]; then
        mkdir -p "$WINEPREFIX"
        # ctest may start two tests at once on a new prefix.
        (
            flock 9
            if [ "$(cat "$WINEPREFIX/.tovrel-prefix" 2>/dev/null)" != "$wine_env_version" ]; then
                wine_env_prepare
            fi
        ) 9>"$WINEPREFIX/.tovrel-prefix.lock"
    fi
}

# Raise this when wine_env_prepare changes, so that old prefixes are prepared again.
wine_env_version=3

wine_env_prepare() {
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Second names for folders, as subst makes them on Windows: Y: for Z:, the
    # whole Unix file system, and X: for C:\程序한, a folder whose name code
    # page 936 cannot spell, so that tests can reach it by a name that it can.
    mkdir -p "$WINEPREFIX/drive_c/程序한"
    ln -sfn / "$WINEPREFIX/dosdevices/y:"
    ln -sfn "../drive_c/程序한" "$WINEPREFIX/dosdevices/x:"
    # SimSun's metrics and true glyphs: 宋体 is a monospaced Song face, 14 px
    # for a Chinese character and 7 px for an ASCII one at 10.5 points. Wine
    # has no SimSun; AR PL SungtiL GB has those metrics and complete glyphs.
    # The value names are Chinese, hence LC_ALL above.
    local name
    for name in 宋体 SimSun 新宋体 NSimSun; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d 'AR PL SungtiL GB' /f >/dev/null 2>&1
    done
    # Debian's Wine looks for its own fonts (Marlett draws the title bar's
    # close box) where they are not; point it at them.
    wine reg add 'HKCU\Software\Wine\Fonts' /v Path /d 'Z:\usr\share\wine\fonts' /f >/dev/null 2>&1
    # A program that crashes ends at once, so that a test fails instead of
    # waiting on Wine's crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # The soak opens hundreds of message boxes in one process; on a display
    # without a window manager Wine then sooner or later hangs activating one.
    # Inside a Wine virtual desktop it does not.
    wine reg add 'HKCU\Software\Wine\AppDefaults\soak_tests.exe\Explorer' /v Desktop /d soak /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v soak /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    echo "$wine_env_version" >"$WINEPREFIX/.tovrel-prefix"
}
