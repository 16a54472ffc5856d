# Sourced by the scripts: configures and builds tovrel for Windows, showing the
# compiler's output only when it fails.
#
# Two builds of the same sources: the i686 one in BASE, the exe users get, and
# the x86-64 one in BASE-x86_64, which the tests run where Wine cannot run
# 32-bit code (scripts/lib/wine-env.sh decides). The x86-64 tree checks the
# exe of BASE, never its own, since only that one is shipped.

# tovrel_build_dir BASE PROCESSOR: the build tree of that processor.
tovrel_build_dir() {
    if [ "$2" = i686 ]; then
        echo "$1"
    else
        echo "$1-$2"
    fi
}

# tovrel_build ROOT BASE PROCESSOR [TARGET...]: builds the given targets (all
# when none) for PROCESSOR (i686 or x86_64).
tovrel_build() {
    local root=$1 base=$2 processor=$3
    shift 3
    local tree log
    tree=$(tovrel_build_dir "$base" "$processor")
    log=$(mktemp)
    if ! cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$processor.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTOVREL_SHIPPED_BUILD="$base" >"$log" 2>&1 ||
        ! cmake --build "$tree" ${1:+--target "$@"} >>"$log" 2>&1; then
        tail -n 60 "$log" >&2
        rm -f "$log"
        echo "the $processor build in $tree failed (above: the end of what the compiler said); to retry: cmake --build $tree" >&2
        return 1
    fi
    rm -f "$log"
}
