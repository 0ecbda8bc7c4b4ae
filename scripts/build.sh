#!/usr/bin/env bash
# Configures and builds everything into build/ (programs and data land in build/game/).
# Usage: scripts/build.sh [--sanitize] [--release] [--build-dir DIR]
# --release builds with full optimisation and without assertions into build-release/ (unless
# --build-dir says otherwise): the build to measure speed with (build-release/game/zvbench).
# ZV_WERROR=ON in the environment makes every compiler warning an error (on by default where CI
# is set); otherwise warnings are only shown.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
builddir="$root/build"
sanitize=OFF
buildtype=RelWithDebInfo
dirgiven=0
while (($#)); do
    case "$1" in
        --sanitize) sanitize=ON ;;
        --release) buildtype=Release ;;
        --build-dir) builddir="$2"; dirgiven=1; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [[ $buildtype == Release && $sanitize == ON ]]; then
    echo "--release and --sanitize do not go together" >&2
    exit 2
fi
if [[ $buildtype == Release && $dirgiven == 0 ]]; then builddir="$root/build-release"; fi
"$root/scripts/install-deps.sh"
launcher=()
# A compiler cache, where the machine has one, makes rebuilds in several checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$root"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
werror="${ZV_WERROR:-$([[ -n ${CI:-} ]] && echo ON || echo OFF)}"
cmake -S "$root" -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE="$buildtype" -DZV_SANITIZE="$sanitize" \
    -DZV_WERROR="$werror" "${launcher[@]}"
cmake --build "$builddir" -j "${ZV_BUILD_JOBS:-$(nproc)}"
