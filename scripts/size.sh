#!/usr/bin/env bash
# make size: builds the release files of both targets and prints their sizes, the limits
# of the 32-bit files, the room each has left once signed ("room") and the DLLs each imports. The
# files are unsigned here: a file with a limit needs SIGNATURE_RESERVE bytes under it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/release-build.sh
status=0
for target in x86 x64; do
  release_build "$target"
done
printf '\n%-6s %-14s %9s %9s %9s  %s\n' target file bytes limit room imports
for target in x86 x64; do
  for f in Vacater.exe ZevDevDll.dll zvlog.exe zevdev.exe; do
    path=build/release-$target/bin/$f
    size=$(stat -c %s "$path")
    limit=$(size_limit "$target" "$f")
    mark=$(release_file_faults "$target" "$path")
    room=-
    if [ "$limit" != - ]; then
      room=$((limit - size - SIGNATURE_RESERVE))
      if [ "$size" -le "$limit" ] && [ "$room" -lt 0 ]; then
        mark+="  NO ROOM FOR A SIGNATURE ($SIGNATURE_RESERVE bytes)"
      fi
    fi
    [ -z "$mark" ] || status=1
    printf '%-6s %-14s %9d %9s %9s  %s%s\n' "$target" "$f" "$size" "$limit" "$room" \
      "$(imports_of "$path" | tr '\n' ' ')" "$mark"
  done
done
exit $status
