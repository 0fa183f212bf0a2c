#!/usr/bin/env bash
# make size: builds the release files of both targets and prints their sizes, the limits
# of the 32-bit files, the DLLs each imports at load time and, last, those that are not
# KnownDLLs: Windows would look for them in the program's folder (%TEMP% for the copy) first.
# Only ZevDevDll.dll, ours, may be one; any other fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/release-build.sh
status=0
for target in x86 x64; do
  release_build "$target"
  # The support report ships too (no size limit).
  cmake --build "build/release-$target" -j "${JOBS:-2}" --target vacater-report -- --no-print-directory 2>&1 \
    | { grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built)' || true; }
done
printf '\n%-6s %-18s %9s %9s  %s\n' target file bytes limit imports
for target in x86 x64; do
  for f in Vacater.exe ZevDevDll.dll zvlog.exe zevdev.exe vacater-report.exe; do
    path=build/release-$target/bin/$f
    size=$(stat -c %s "$path")
    limit=$(size_limit "$target" "$f")
    mark=$(release_file_faults "$target" "$path")
    [ -z "$mark" ] || status=1
    printf '%-6s %-18s %9d %9s  %s%s\n' "$target" "$f" "$size" "$limit" \
      "$(imports_of "$path" | tr '\n' ' ')" "$mark"
  done
done
printf '\nnot KnownDLLs (ZevDevDll.dll allowed):\n'
for target in x86 x64; do
  for f in Vacater.exe ZevDevDll.dll zvlog.exe zevdev.exe vacater-report.exe; do
    printf '%-6s %-18s %s\n' "$target" "$f" \
      "$(imports_of "build/release-$target/bin/$f" | grep -i -v -x -E "($KNOWN_DLLS)\.dll" | tr '\n' ' ')"
  done
done
exit $status
