#!/usr/bin/env bash
# Rewrites ArtSources.cmake, the list of art sources the content build depends on. Run it after
# adding or removing a file below data/art.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
data="$here/../../../data"
{
    echo "# The art sources below data/ (written by list-sources.sh; do not edit by hand)."
    echo "set(ZVDATA_ART_SOURCES"
    (cd "$data" && find art -type f | LC_ALL=C sort | sed 's/^/    /')
    echo ")"
} > "$here/ArtSources.cmake"
