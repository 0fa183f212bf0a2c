#!/usr/bin/env bash
# Builds the fuzz programs in their own tree (build/fuzz, every source trapping on undefined
# behaviour) and runs them under Wine for FUZZ_SECONDS in all (default 600): half for the
# command-line tokenizer, a quarter each for the Blob text conversions and the registry
# %VAR% expansion. Failures leave reproducer files in build/fuzz/findings; replay one with
#   wine build/fuzz/bin/fuzz_<name>.exe --replay <file>
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
seconds=${FUZZ_SECONDS:-600}
export ZV_BUILD=$top/build/fuzz
cmake -S . -B "$ZV_BUILD" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_FUZZ=ON >/dev/null || exit 1
echo "== building the fuzz programs"
cmake --build "$ZV_BUILD" --target fuzz_programs -j "${JOBS:-2}" -- --no-print-directory 2>&1 \
  | grep -v -E '^\[ *[0-9]+%\] (Building|Linking)|^\[ *[0-9]+%\] Built target'
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build of the fuzz programs failed"; exit 1; }

. scripts/wine-env.sh
findings=$ZV_BUILD/findings
mkdir -p "$findings"
wine_up
wine_check_sandbox || { wine_down; exit 1; }
out=$(winepath -w "$findings" 2>/dev/null)
seed=${FUZZ_SEED:-$(date +%s)}
rc=0
log=$ZV_BUILD/fuzz-results.txt
: > "$log"
for entry in "tokenizer 2" "blob_text 4" "config_expand 4"; do
  set -- $entry
  share=$(awk -v s="$seconds" -v d="$2" 'BEGIN { printf "%.1f", s / d }')
  echo "== fuzz_$1 for $share s"
  # No "|| true" behind the pipe: it would reset PIPESTATUS, and a program that died
  # without its FAIL or CRASH line would pass.
  wine "$ZV_BUILD/bin/fuzz_$1.exe" --seconds "$share" --seed "$seed" --out "$out" </dev/null 2>&1 \
    | tr -d '\r' | tee -a "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || rc=1
done
wine_down

echo
echo "== figures"
grep -E '^[a-z-]+: [0-9]+ inputs' "$log" | sed 's/^/   /'
awk '/^tokenizer: [0-9]+ inputs/ { printf "   tokenizer at this rate: %.1f million inputs in 10 minutes on one core\n", $7 * 600 / 1e6 }' "$log"
failures=$(grep -c -E '^(FAIL|CRASH)' "$log" || true)
echo "Fuzz: $failures failures$( [ "$failures" -gt 0 ] && echo ", reproducers in $findings")"
[ "$failures" -eq 0 ] || rc=1
exit $rc
