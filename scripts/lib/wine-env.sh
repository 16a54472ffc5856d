# The one definition of the Wine environment tovrel runs and is tested in:
# sourced by cmake/wine-run (through which ctest runs every test) and by the
# scripts. Never the user's own ~/.wine.
#
# It also decides which build runs here. tovrel.exe is a 32-bit program, and
# where Debian's 32-bit Wine loader starts, that build is what runs. Some hosts
# run 64-bit code only: no Wine can run 32-bit Windows code there, so the x86-64
# build of the same sources runs instead, under Debian's 64-bit loader, called
# by its own name because /usr/bin/wine picks the 32-bit one whenever it is
# installed. TOVREL_FORCE_X86_64=1 takes that path on any host.

wine_loader_i686=/usr/lib/wine/wine
wine_loader_x86_64=/usr/lib/wine/wine64

# wine_choose_build: sets wine_build (i686 or x86_64), by trying the 32-bit
# loader, and wine_build_why, one line saying which build runs and why.
wine_choose_build() {
    local shipped="dist/tovrel.exe is the 32-bit exe users get"
    if [ -n "${TOVREL_FORCE_X86_64:-}" ]; then
        wine_build=x86_64
        wine_build_why="TOVREL_FORCE_X86_64 is set: running the x86-64 build of the same sources under 64-bit Wine; $shipped"
    elif "$wine_loader_i686" --version >/dev/null 2>&1; then
        wine_build=i686
        wine_build_why="running the 32-bit build, the exe users get, under 32-bit Wine"
    elif [ ! -e "$wine_loader_i686" ]; then
        wine_build=x86_64
        wine_build_why="32-bit Wine is not installed: running the x86-64 build of the same sources under 64-bit Wine; $shipped"
    else
        wine_build=x86_64
        wine_build_why="this host runs 64-bit code only: running the x86-64 build of the same sources under 64-bit Wine; $shipped"
    fi
}

# wine_env PREFIX BUILD: Wine for BUILD (i686 or x86_64) in PREFIX, prepared on
# first use. Afterwards wine, winepath and wineboot below run that Wine.
wine_env() {
    export WINEPREFIX=$1
    local loader_var=wine_loader_${2:-}
    wine_loader=${!loader_var:-}
    if [ -z "$wine_loader" ]; then
        echo "wine_env: no Wine for a build called '${2:-}' (i686 or x86_64)" >&2
        return 1
    fi
    # Programs that Wine starts from the program (the test drivers start
    # tovrel.exe) take the same loader.
    export WINELOADER=$wine_loader
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

# Code page 936, the program's target; Wine also needs the host locale to create
# and open files with Chinese names. For Wine only: the scripts and the tools
# they run speak the README's language.
wine() { LC_ALL=zh_CN.UTF-8 "$wine_loader" "$@"; }
wine_exec() { LC_ALL=zh_CN.UTF-8 exec "$wine_loader" "$@"; }
winepath() { wine winepath.exe "$@"; }
wineboot() { wine wineboot.exe "$@"; }

# Raise this when wine_env_prepare changes, so that old prefixes are prepared again.
wine_env_version=3

wine_env_prepare() {
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    if [ ! -d "$WINEPREFIX/dosdevices" ]; then
        echo "Wine could not make its prefix $WINEPREFIX; to see why, run: WINEPREFIX=$WINEPREFIX $wine_loader wineboot.exe -i" >&2
        return 1
    fi
    # Second names for folders, as subst makes them on Windows: Y: for Z:, the
    # whole Unix file system, and X: for C:\程序한, a folder whose name code
    # page 936 cannot spell, so that tests can reach it by a name that it can.
    mkdir -p "$WINEPREFIX/drive_c/程序한"
    ln -sfn / "$WINEPREFIX/dosdevices/y:"
    ln -sfn "../drive_c/程序한" "$WINEPREFIX/dosdevices/x:"
    # SimSun's metrics and true glyphs: 宋体 is a monospaced Song face, 14 px
    # for a Chinese character and 7 px for an ASCII one at 10.5 points. Wine
    # has no SimSun; AR PL SungtiL GB has those metrics and complete glyphs.
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
