#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 into build-fuzz/ and runs each for a bounded number
# of inputs (ZV_FUZZ_RUNS, default 500). Without clang-14 it says so and does nothing.
# Extra arguments go to ctest. ZV_WERROR as in scripts/build.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
builddir="$root/build-fuzz"
"$root/scripts/install-deps.sh"
if ! command -v clang++-14 >/dev/null 2>&1; then
    echo "fuzz.sh: clang++-14 is not installed; no fuzzing" >&2
    exit 0
fi
launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$root"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
werror="${ZV_WERROR:-$([[ -n ${CI:-} ]] && echo ON || echo OFF)}"
cmake -S "$root" -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_WERROR="$werror" \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZV_BUILD_FUZZERS=ON -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCH=OFF \
    -DZV_FUZZ_RUNS="${ZV_FUZZ_RUNS:-500}" "${launcher[@]}"
cmake --build "$builddir" -j "${ZV_BUILD_JOBS:-$(nproc)}" --target zv_fuzzers
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$builddir"
ctest --output-on-failure --no-tests=error -j "$(nproc)" -L fuzz "$@"
