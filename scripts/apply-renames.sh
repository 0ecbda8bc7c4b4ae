#!/usr/bin/env bash
# Applies tools/renames.txt (lines "OldName NewName"; '#' lines and blank lines are skipped) to
# the tracked sources, CMake lists and docs as whole-word replacements. Running it again changes
# nothing, so it can be re-run after other branches land.
# Usage: scripts/apply-renames.sh [list]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
list="${1:-$root/tools/renames.txt}"
cd "$root"

pairs=()
while read -r old new rest; do
    [[ -z "${old:-}" || "$old" == \#* ]] && continue
    if [[ -z "${new:-}" || -n "${rest:-}" ]]; then
        echo "apply-renames: malformed line: $old ${new:-} ${rest:-}" >&2
        exit 2
    fi
    if [[ ! "$old" =~ ^[A-Za-z_][A-Za-z0-9_]*$ || ! "$new" =~ ^[A-Za-z_][A-Za-z0-9_]*$ ]]; then
        echo "apply-renames: not an identifier pair: $old $new" >&2
        exit 2
    fi
    pairs+=("$old" "$new")
done < "$list"
((${#pairs[@]})) || { echo "apply-renames: empty list" >&2; exit 0; }

# Only tracked files, so build directories and generated output are never touched; the list
# itself is left as it is.
mapfile -d '' files < <(git ls-files -z -- \
    '*.cpp' '*.cc' '*.h' '*.hpp' '*.inc' '*.c' 'CMakeLists.txt' '*/CMakeLists.txt' '*.cmake' \
    '*.md' ':!:tools/renames.txt')

# Restrict to the files that mention an old name, then replace every pair in one pass.
pattern="$(printf '%s\n' "${pairs[@]}" | awk 'NR % 2 == 1' | paste -sd'|')"
mapfile -d '' hits < <(printf '%s\0' "${files[@]}" | xargs -0 grep -lZwE -- "$pattern" || true)
((${#hits[@]})) || { echo "apply-renames: nothing to rename"; exit 0; }

RENAME_PAIRS="$(printf '%s ' "${pairs[@]}")" perl -pi -e '
    BEGIN {
        my @p = split " ", $ENV{RENAME_PAIRS};
        %map = @p;
        $re = join "|", map { quotemeta } sort { length($b) <=> length($a) } keys %map;
    }
    s/\b($re)\b/$map{$1}/g;
' "${hits[@]}"
echo "apply-renames: ${#hits[@]} files updated"
