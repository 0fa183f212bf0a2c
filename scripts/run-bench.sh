#!/usr/bin/env bash
# Runs the benchmark programs of the x64 build under Wine and prints their timings.
set -uo pipefail
cd "$(dirname "$0")/.."
export ZV_BUILD=$PWD/build/x64
. scripts/wine-env.sh
wine_up
rc=0
for exe in "$ZV_BUILD"/bin/*_bench.exe; do
  [ -f "$exe" ] || continue
  echo "== $(basename "$exe")"
  wine "$exe" || rc=1
done
wine_down
exit $rc
