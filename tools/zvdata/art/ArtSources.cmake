# The art sources below data/ (written by list-sources.sh; do not edit by hand).
set(ZVDATA_ART_SOURCES
    art/manifests/pal2.txt
    art/manifests/pal3.txt
    art/manifests/palette.txt
    art/palettes/game.pal
)
