#!/usr/bin/env bash
# Writes sample package content for the tests and the demo into OUTDIR:
#   Application.ini      the package's settings (Windows-1252 bytes, CRLF line ends)
#   removesplash.bmp     400 x 300, blue with a yellow centre: shown while ejecting
#   ejectoksplash.bmp    400 x 300, green with a white centre: shown afterwards
#   removesplash.jpg, ejectoksplash.gif   the same pictures in the other formats the loader reads
set -euo pipefail
out=${1:?usage: make-package-content.sh OUTDIR}
mkdir -p "$out"

# \366 is the o with diaeresis in Windows-1252.
printf '%s\r\n' \
  '[Application]' \
  'RemoveSplash=removesplash.bmp' \
  'EjectOKSplash=ejectoksplash.bmp' \
  'EjectOKTime=3000' \
  '' \
  '[Strings]' \
  'Removing=Vaultik wird ausgeworfen' \
  "EjectOK=Sie k$(printf '\366')nnen Vaultik jetzt entfernen!" > "$out/Application.ini"

# BMP3: a plain 24-bit bitmap with the classic header, which every picture loader reads.
convert -size 400x300 xc:'#1F4E79' -fill '#F2C500' -draw 'rectangle 100,75 299,224' \
  -type TrueColor BMP3:"$out/removesplash.bmp"
convert -size 400x300 xc:'#2E7D32' -fill '#FFFFFF' -draw 'rectangle 100,75 299,224' \
  -type TrueColor BMP3:"$out/ejectoksplash.bmp"
convert "$out/removesplash.bmp" -quality 95 "$out/removesplash.jpg"
convert "$out/ejectoksplash.bmp" "$out/ejectoksplash.gif"
