# Sourced by the scripts: configures the cross build and builds the given
# targets (all when none), showing the compiler's output only when it fails.
tovrel_build() {
    local root=$1 build=$2
    shift 2
    local log
    log=$(mktemp)
    if ! cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >"$log" 2>&1 ||
        ! cmake --build "$build" ${1:+--target "$@"} >>"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "build failed" >&2
        return 1
    fi
    rm -f "$log"
}
