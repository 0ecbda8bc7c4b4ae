#!/usr/bin/env bash
# Plays every default map to its end for many seeds, the computer leading every country, and
# prints who wins: one row per map with each country's share of the decided games (those won
# before the day limit), the games that ran to the day limit and the mean length in days.
# Usage: scripts/balance.sh [--seeds N] [--jobs J] [--map MAP0000N]... [--build-dir DIR]
#        (defaults 20, 3, every default map, build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seeds=20
jobs=3
builddir="$root/build"
chosen=()
while (($#)); do
    case "$1" in
        --seeds) seeds="$2"; shift ;;
        --jobs) jobs="$2"; shift ;;
        --map) chosen+=("$2"); shift ;;
        --build-dir) builddir="$2"; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
game="$builddir/game"
[[ -x "$game/zvsim" ]] || { echo "no $game/zvsim: build first" >&2; exit 2; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
maps=(MAP00001 MAP00002 MAP00003 MAP00004)
((${#chosen[@]})) && maps=("${chosen[@]}")
export ZVSIM="$game/zvsim" ZVOUT="$out"
for map in "${maps[@]}"; do
    for ((s = 1; s <= seeds; ++s)); do echo "$map $s"; done
done | xargs -P "$jobs" -L 1 bash -c \
    '"$ZVSIM" run --map "$0.ddm" --computer-all --seed "$1" | tail -n 1 > "$ZVOUT/$0-$1.txt"'
printf '| map | games | decided | c0 | c1 | c2 | c3 | day limit | mean days |\n'
printf '|---|---|---|---|---|---|---|---|---|\n'
for map in "${maps[@]}"; do
    cat "$out/$map"-*.txt | awk -v map="$map" '
    {
        minutes = 0; outcome = "";
        for (i = 1; i <= NF; ++i) {
            if ($i ~ /^minutes=/) minutes = substr($i, 9);
            if ($i ~ /^outcome=/) outcome = substr($i, 9);
        }
        ++games; days += minutes / 1440;
        if (outcome ~ /-T$/ || outcome == "running") { ++limit; next }
        split(outcome, parts, "-");
        winners = substr(parts[1], 2);
        ++decided;
        for (k = 1; k <= length(winners); ++k) ++wins[substr(winners, k, 1)];
    }
    END {
        row = "| " map " | " games " | " decided;
        for (c = 0; c < 4; ++c) {
            w = wins[c] + 0;
            row = row sprintf(" | %d (%d%%)", w, decided ? int(100 * w / decided + 0.5) : 0);
        }
        printf "%s | %d | %.1f |\n", row, limit, games ? days / games : 0;
    }'
done
