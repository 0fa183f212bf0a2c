#!/usr/bin/env bash
# Writes the application icon (resource 128): a token with an eject sign, as a 32 x 32 and
# a 16 x 16 image with 16 colours each. Called by the build; usage: make-icon.sh OUT.ico
set -euo pipefail
out=${1:?usage: make-icon.sh OUT.ico}

hex=""
put8()  { local b; printf -v b "%02x" $(( $1 & 255 )); hex+=$b; }
put16() { put8 "$1"; put8 $(( $1 >> 8 )); }
put32() { put16 "$1"; put16 $(( $1 >> 16 )); }

# The standard 16-colour palette, as red green blue.
palette=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
         808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)
TRANSPARENT=-1

# Sets colour to the index of the design cell (u, v) on a 16 x 16 grid, v from the top.
cell() {
  local u=$1 v=$2 w=$(( $2 - 6 ))
  if (( v <= 3 )); then                           # the connector
    if (( u < 5 || u > 10 )); then colour=$TRANSPARENT
    elif (( (v == 1 || v == 2) && (u == 6 || u == 9) )); then colour=8
    else colour=7; fi
  elif (( u < 3 || u > 12 )); then colour=$TRANSPARENT
  elif (( u == 3 || u == 12 || v == 15 )); then colour=4      # the body's border
  elif (( v >= 6 && v <= 8 && u >= 7 - w && u <= 8 + w )); then colour=15  # eject sign
  elif (( v >= 10 && v <= 11 && u >= 5 && u <= 10 )); then colour=15
  else colour=12; fi
}

image_size() { local s=$1; echo $(( 40 + 64 + s * s / 2 + ((s + 31) / 32 * 4) * s )); }

image() {
  local s=$1 x y u v c row mask bits
  put32 40; put32 "$s"; put32 $(( 2 * s )); put16 1; put16 4; put32 0
  put32 $(( s * s / 2 + ((s + 31) / 32 * 4) * s )); put32 0; put32 0; put32 16; put32 0
  for c in "${palette[@]}"; do put8 $((16#${c:4:2})); put8 $((16#${c:2:2})); put8 $((16#${c:0:2})); put8 0; done
  local -a colours=()
  for (( y = 0; y < s; y++ )); do
    for (( x = 0; x < s; x++ )); do cell $(( x * 16 / s )) $(( y * 16 / s )); colours[y * s + x]=$colour; done
  done
  for (( y = s - 1; y >= 0; y-- )); do            # colour bits, rows from the bottom
    for (( x = 0; x < s; x += 2 )); do
      local a=${colours[y * s + x]} b=${colours[y * s + x + 1]}
      (( a < 0 )) && a=0; (( b < 0 )) && b=0
      put8 $(( a << 4 | b ))
    done
  done
  local stride=$(( (s + 31) / 32 * 4 ))
  for (( y = s - 1; y >= 0; y-- )); do            # transparency mask, 1 = transparent
    for (( x = 0; x < stride * 8; x += 8 )); do
      bits=0
      for (( u = 0; u < 8; u++ )); do
        c=$TRANSPARENT
        (( x + u < s )) && c=${colours[y * s + x + u]}
        (( c < 0 )) && bits=$(( bits | 128 >> u ))
      done
      put8 $bits
    done
  done
}

put16 0; put16 1; put16 2                          # icon directory with two images
offset=$(( 6 + 2 * 16 ))
for s in 32 16; do
  put8 "$s"; put8 "$s"; put8 16; put8 0; put16 1; put16 4
  put32 "$(image_size "$s")"; put32 "$offset"
  offset=$(( offset + $(image_size "$s") ))
done
image 32
image 16
printf "$(sed 's/../\\x&/g' <<<"$hex")" > "$out.tmp"
mv "$out.tmp" "$out"
