#!/usr/bin/env bash
# Measures the game at rest under a virtual screen: processor use (share of one core) and resident
# memory at the title, in a running single game and in that game paused by a modal dialog (the
# save dialog), with the music off or on. Drives the real program with xdotool on a 1024x768
# screen; the clicks follow the default window layout.
# Usage: scripts/rest-measure.sh [--game DIR] [--display :N] [--music on|off] [--seconds S]
# Environment passed on to the game: SDL_RENDER_DRIVER (e.g. software), SDL_AUDIODRIVER (dummy
# gives a sound device on a machine without one, so that the synthesiser runs).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
game="$root/build/game"
display=":29"
music=off
seconds=20
while (($#)); do
    case "$1" in
        --game) game="$2"; shift ;;
        --display) display="$2"; shift ;;
        --music) music="$2"; shift ;;
        --seconds) seconds="$2"; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
for tool in Xvfb xdotool bc; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
[[ -x "$game/zv6" ]] || { echo "no $game/zv6: build first" >&2; exit 2; }

export DISPLAY="$display"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/xdg-rest-measure}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
work=$(mktemp -d)
ini="$game/ZV6WIN.INI"
saved=""
[[ -f "$ini" ]] && saved="$work/ini" && cp "$ini" "$saved"
Xvfb "$display" -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
gamepid=""
finish() {
    [[ -n "$gamepid" ]] && kill -9 "$gamepid" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    if [[ -n "$saved" ]]; then cp "$saved" "$ini"; else rm -f "$ini"; fi
    rm -rf "$work"
}
trap finish EXIT
sleep 1

# Sets BGM in [Environ] of the program's settings, keeping the rest.
bgm=$([[ $music == on ]] && echo 1 || echo 0)
if [[ -f "$ini" ]] && grep -q '^\[Environ\]' "$ini"; then
    sed -i '/^BGM=/d' "$ini"
    sed -i "s/^\[Environ\]\r\?$/&\nBGM=$bgm/" "$ini"
else
    printf '[Environ]\nBGM=%s\n' "$bgm" >>"$ini"
fi

# Share of one core used by the process over the interval, and its resident memory.
measure() {
    local what=$1 t0 t1 hz
    hz=$(getconf CLK_TCK)
    t0=$(awk '{print $14 + $15}' "/proc/$gamepid/stat")
    sleep "$seconds"
    t1=$(awk '{print $14 + $15}' "/proc/$gamepid/stat")
    printf '%-28s cpu %6s%%  rss %4d MB  (anon %d MB, files %d MB)\n' "$what" \
        "$(echo "scale=2; ($t1 - $t0) * 100 / $hz / $seconds" | bc)" \
        $(($(awk '/^VmRSS/{print $2}' "/proc/$gamepid/status") / 1024)) \
        $(($(awk '/^RssAnon/{print $2}' "/proc/$gamepid/status") / 1024)) \
        $(($(awk '/^RssFile/{print $2}' "/proc/$gamepid/status") / 1024))
}
click() {
    xdotool mousemove "$1" "$2" click 1
    sleep "${3:-1}"
}

(cd "$game" && exec ./zv6 >"$work/zv6.log" 2>&1) &
gamepid=$!
sleep 6
xdotool key space  # ends the opening
sleep 4
echo "music $music, renderer ${SDL_RENDER_DRIVER:-default}, audio ${SDL_AUDIODRIVER:-default}"
measure "title"
click 385 404 3   # single play
click 270 277     # the fourth map
click 762 564 3   # next
click 320 249     # the first corps
click 762 564 3   # next
click 448 223     # country 1 ...
click 415 243     # ... led by the user
click 762 564 6   # decided: deployment
click 787 538 3   # automatic deployment
click 787 579 8   # start the game
measure "game running"
click 27 28       # file menu
click 90 150 3    # save as: a modal dialog
measure "game, modal dialog"
xdotool key Escape
sleep 1
kill -9 "$gamepid" 2>/dev/null || true
wait "$gamepid" 2>/dev/null || true
gamepid=""
