#!/usr/bin/env bash
# Soaks network play headless: three-process zvsim games (a host and two clients on 127.0.0.1)
# with and without injected faults (delay, jitter, lost discovery datagrams, stalls), some with
# one participant killed (SIGKILL, no goodbye) at a random minute, and prints a table of outcomes.
#
# Usage: scripts/net-soak.sh [--zvsim PATH] [--rounds N] [--minutes N] [--seed S]
#                            [--faults SPEC] [--map FILE]
#   --rounds   how many times each of the six kinds of game is played (default 1)
#   --minutes  game minutes per game (default 300); a kill falls between minute 20 and the end
#   --faults   the faults the faulty games run under
#              (default delay=15,jitter=25,drop=30,stall=5000/1200)
# Exit status 0 when every game ended as it must: the survivors agree on every hash, the one
# killed agrees as far as it got, and nobody hung.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
zvsim="$root/build/game/zvsim"
rounds=1
minutes=300
seed=$$
faults="delay=15,jitter=25,drop=30,stall=5000/1200"
map="MAP00001.ddm"
while (($#)); do
    case "$1" in
        --zvsim) zvsim="$2"; shift ;;
        --rounds) rounds="$2"; shift ;;
        --minutes) minutes="$2"; shift ;;
        --seed) seed="$2"; shift ;;
        --faults) faults="$2"; shift ;;
        --map) map="$2"; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
[[ -x "$zvsim" ]] || { echo "no zvsim at $zvsim (build first)" >&2; exit 2; }
((rounds >= 1 && rounds <= 50)) || { echo "--rounds: 1-50" >&2; exit 2; }
((minutes >= 60 && minutes <= 5000)) || { echo "--minutes: 60-5000" >&2; exit 2; }
RANDOM=$seed
out="$(mktemp -d /tmp/net-soak.XXXXXX)"
trap 'rm -rf "$out"' EXIT

rows=()
bad=0
game=0
for ((round = 0; round < rounds; ++round)); do
    for kind in plain faults kill-client kill-host faults+kill-client faults+kill-host; do
        game=$((game + 1))
        args=(net-game --map "$map" --minutes "$minutes" --clients 2 --seed "$((RANDOM % 1000))"
              --timeout 600000)
        spec="-"
        victim="-"
        at="-"
        if [[ $kind == faults* ]]; then
            spec="$faults"
            args+=(--faults "$faults")
        fi
        if [[ $kind == *kill-client ]]; then victim="client"; fi
        if [[ $kind == *kill-host ]]; then victim="host"; fi
        if [[ $victim != "-" ]]; then
            at=$((20 + RANDOM % (minutes - 40)))
            args+=(--kill "$victim" --kill-minute "$at")
        fi
        log="$out/game$game.txt"
        start=$(date +%s)
        # Bounded: a game that hangs is stopped and counted as failed.
        status=0
        timeout 900 "$zvsim" "${args[@]}" >"$log" 2>&1 || status=$?
        seconds=$(($(date +%s) - start))
        result="agree"
        grep -q "net-game: every participant agrees" "$log" || result="FAILED($status)"
        statuses=$(sed -n 's/^net-game: statuses=//p' "$log" | tail -1)
        left=$(sed -n 's/^host: left \(slot=[0-9]*\) name=[^ ]* minute=\([0-9]*\).*/\1@\2/p' "$log" |
            paste -sd' ' -)
        wait=$(sed -n 's/^host: wait longest_ms=//p' "$log" | tail -1)
        final=$(sed -n 's/^host: final minutes=\([0-9]*\).*/\1/p' "$log" | tail -1)
        if [[ $victim == host ]]; then
            final=$(sed -n 's/^client[0-9]*: host-left minutes=\([0-9]*\).*/\1/p' "$log" |
                paste -sd'/' -)
            final="host-left@${final:--}"
        fi
        [[ $result == agree ]] || { bad=$((bad + 1)); cp "$log" "/tmp/net-soak-failed-$game.txt"; }
        rows+=("$(printf '| %2d | %-18s | %-6s | %6s | %-10s | %-26s | %-9s | %-15s | %7s | %5s |' \
            "$game" "$kind" "$victim" "$at" "$result" "${statuses:--}" "${left:--}" \
            "${final:--}" "${wait:--}" "$seconds")")
    done
done
echo "faults of the faulty games: $faults; $minutes minutes each; seed $seed"
printf '| %2s | %-18s | %-6s | %6s | %-10s | %-26s | %-9s | %-15s | %7s | %5s |\n' \
    "#" "game" "killed" "minute" "result" "host,client0,client1" "left" "end" "wait ms" "s"
printf '|----|--------------------|--------|--------|------------|----------------------------|-----------|-----------------|---------|-------|\n'
printf '%s\n' "${rows[@]}"
if ((bad)); then
    echo "$bad game(s) failed; their logs: /tmp/net-soak-failed-*.txt"
    exit 1
fi
echo "every game ended as it must"
