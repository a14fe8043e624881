#!/usr/bin/env bash
# Draws the indicator images: 15 × 15 pixels, at most 16 colours, transparent
# background. Run from this folder; the PNGs it writes are committed.
set -euo pipefail
convert=/usr/bin/convert

# lamp NAME RIM BODY SHINE HIGHLIGHT
lamp() {
  "$convert" -size 15x15 xc:none \
    -fill "$2" -draw "circle 7,7 7,0" \
    -fill "$3" -draw "circle 7,7 7,1.5" \
    -fill "$4" -draw "circle 6,6 6,3" \
    -fill "$5" -draw "circle 5,5 5,4" \
    -colors 16 -strip "PNG8:$1.png"
}

# bulb NAME OUTLINE GLASS HIGHLIGHT
bulb() {
  "$convert" -size 15x15 xc:none \
    -fill "$2" -draw "circle 7,5 7,0" \
    -fill "$3" -draw "circle 7,5 7,1" \
    -fill "$4" -draw "circle 5,3 5,2" \
    -fill "$2" -draw "rectangle 5,9 9,10" \
    -fill '#808080' -draw "rectangle 5,11 9,13" \
    -fill '#404040' -draw "line 5,12 9,12" -draw "point 7,14" \
    -colors 16 -strip "PNG8:$1.png"
}

lamp LEDREDOFF    '#300000' '#701010' '#802020' '#a05050'
lamp LEDREDON     '#600000' '#e00000' '#ff4040' '#ffc0c0'
lamp LEDGREENOFF  '#002000' '#105a10' '#206a20' '#509050'
lamp LEDGREENON   '#004000' '#00c000' '#40ff40' '#c0ffc0'
lamp LEDBLUEOFF   '#000030' '#102070' '#203080' '#5060a0'
lamp LEDBLUEON    '#000060' '#0040e0' '#4080ff' '#c0d8ff'
lamp LEDYELLOWOFF '#303000' '#6a6a10' '#7a7a20' '#a0a050'
lamp LEDYELLOWON  '#606000' '#e0d000' '#ffff40' '#ffffc0'
lamp LEDPURPLEOFF '#200020' '#601060' '#702070' '#985098'
lamp LEDPURPLEON  '#400040' '#c000c0' '#ff40ff' '#ffc0ff'
bulb LEDBULBOFF   '#505050' '#b0b0b0' '#e0e0e0'
bulb LEDBULBON    '#806000' '#fff060' '#ffffff'
