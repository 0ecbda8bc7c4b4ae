#!/usr/bin/env bash
# Configures and builds everything into build/ (programs and data land in build/game/).
# Usage: scripts/build.sh [--sanitize] [--build-dir DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
builddir="$root/build"
sanitize=OFF
while (($#)); do
    case "$1" in
        --sanitize) sanitize=ON ;;
        --build-dir) builddir="$2"; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
"$root/scripts/install-deps.sh"
launcher=()
# A compiler cache, where the machine has one, makes rebuilds in several checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$root"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_SANITIZE="$sanitize" "${launcher[@]}"
cmake --build "$builddir" -j "${ZV_BUILD_JOBS:-$(nproc)}"
