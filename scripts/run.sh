#!/usr/bin/env bash
# Builds everything, writes the program directory build/game/ and starts the game.
# Without a display: xvfb-run -s '-screen 0 1024x768x24' scripts/run.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
echo "program directory: $root/build/game"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${SDL_VIDEODRIVER:-}" ]]; then
    echo "zv6: no display to open a window on. Run it on a desktop, or under a virtual screen:" >&2
    echo "    xvfb-run -s '-screen 0 1024x768x24' $root/build/game/zv6" >&2
    exit 1
fi
exec "$root/build/game/zv6" "$@"
