#!/usr/bin/env bash
# Builds everything and writes the program directory build/game/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
echo "program directory: $root/build/game"
if [[ -x "$root/build/game/zv6" ]]; then
    exec "$root/build/game/zv6" "$@"
fi
