#!/usr/bin/env bash
# check_reproducible.sh SOURCE TOOLCHAIN BUILD-TYPE EXE SCRATCH
# Builds tovrel.exe once more from the same sources, in a folder below SCRATCH
# whose path has another length than the first build's, and checks that the two
# are the same byte for byte: what is shipped can be rebuilt and checked.
set -euo pipefail
source=$1 toolchain=$2 type=$3 exe=$4 scratch=$5

second=$scratch/a-second-build-in-a-folder-of-another-length
rm -rf "$second"
log=$(mktemp)
trap 'rm -f "$log"; rm -rf "$second"' EXIT
if ! cmake -S "$source" -B "$second" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING=OFF >"$log" 2>&1 ||
    ! cmake --build "$second" --target tovrel >>"$log" 2>&1; then
    cat "$log"
    echo "FAILED: the second build did not build"
    exit 1
fi
if cmp "$exe" "$second/bin/tovrel.exe"; then
    echo "ok: a second build in $second is byte for byte the same ($(sha256sum <"$exe" | cut -c1-64))"
else
    echo "FAILED: a second build in $second differs from $exe"
    exit 1
fi
