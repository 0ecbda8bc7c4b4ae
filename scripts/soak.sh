#!/usr/bin/env bash
# The long soak: whole games on every default map for several seeds, watched step by step (no
# troop with a move order stands still for a day unless truly blocked; no computer country that
# could produce goes a day without producing). The test run does a bounded version of the same.
# Usage: scripts/soak.sh [--seeds N] [--minutes M] [--map MAP0000N.ddm] [--build-dir DIR]
#        (defaults 5, 60000, every map, build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seeds=5
minutes=60000
builddir="$root/build"
while (($#)); do
    case "$1" in
        --seeds) seeds="$2"; shift ;;
        --minutes) minutes="$2"; shift ;;
        --map) export ZV_SOAK_MAP="$2"; shift ;;
        --build-dir) builddir="$2"; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
tests="$builddir/tests/zv_sim_tests"
[[ -x "$tests" ]] || { echo "no $tests: build first" >&2; exit 2; }
ZV_SOAK_ALL_MAPS=1 ZV_SOAK_SEEDS="$seeds" ZV_SOAK_MINUTES="$minutes" \
    "$tests" --gtest_filter='GameRunTest.Soak*'
