#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# Extra arguments go to ctest (for instance: -L rules).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
builddir="$root/build-asan"
"$root/scripts/build.sh" --sanitize --build-dir "$builddir"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$builddir"
ctest --output-on-failure -j "$(nproc)" "$@"
