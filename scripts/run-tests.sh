#!/usr/bin/env bash
# Runs every test of the x64 build under Wine and a virtual X display, then prints a total.
# Extra arguments go to ctest (for example: -R Blob).
set -uo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || [ -z "${ZV_IN_XVFB:-}" ]; then
  export ZV_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
export ZV_BUILD=$PWD/build/x64
. scripts/wine-env.sh
results=$ZV_BUILD/test-results
rm -rf "$results"; mkdir -p "$results"
export GTEST_OUTPUT="xml:Z:$results/"

wine_up
# Tests run batches that delete folders: never where a user folder leads to the home.
wine_check_sandbox || { wine_down; echo "Tests: 0 passed, 1 failed, 0 skipped"; exit 1; }
# Two at a time: the programs that share state run one after another (RESOURCE_LOCK in
# tests/CMakeLists.txt), the others beside them.
ctest --test-dir "$ZV_BUILD" --output-on-failure -j "${TEST_JOBS:-2}" "$@"
rc=$?
wine_down

# One closing line over all test programs: every single test case counted.
passed=0 failed=0 skipped=0
for f in "$results"/*.xml; do
  [ -f "$f" ] || continue
  line=$(grep -m1 '<testsuites ' "$f")
  t=$(sed -E 's/.* tests="([0-9]+)".*/\1/' <<<"$line")
  fl=$(sed -E 's/.* failures="([0-9]+)".*/\1/' <<<"$line")
  d=$(sed -E 's/.* disabled="([0-9]+)".*/\1/' <<<"$line")
  s=$(grep -c '<skipped' "$f" || true)
  passed=$((passed + t - fl - s - d)); failed=$((failed + fl)); skipped=$((skipped + s))
done
[ $rc -ne 0 ] && [ $failed -eq 0 ] && failed=1   # a program that crashed wrote no result
echo
echo "Tests: $passed passed, $failed failed, $skipped skipped"
exit $rc
