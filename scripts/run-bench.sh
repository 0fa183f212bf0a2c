#!/usr/bin/env bash
# Runs the benchmark programs of the x64 build under Wine and prints their timings.
set -uo pipefail
cd "$(dirname "$0")/.."
# The process-count bench runs a whole removal, whose windows need an X display.
if [ -z "${DISPLAY:-}" ] || [ -z "${ZV_IN_XVFB:-}" ]; then
  export ZV_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
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
