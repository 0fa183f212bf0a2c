#!/usr/bin/env bash
# Runs every test of the x64 build under Wine and a virtual X display, then prints a total.
# Extra arguments go to ctest (for example: -R Blob). The tests labelled x86 start the
# programs of build/x86 as 32-bit (WOW64) processes; where the machine cannot run them they
# skip, and one line says why. ZV_X86_BUILD_STATUS=<file> (scripts/test.sh): the 32-bit
# build is still running; its tests run last, once the file holds the build's exit status.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || [ -z "${ZV_IN_XVFB:-}" ]; then
  export ZV_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
export ZV_BUILD=$PWD/build/x64
. scripts/wine-env.sh
. scripts/x86-probe.sh
results=$ZV_BUILD/test-results
rm -rf "$results"; mkdir -p "$results"
export GTEST_OUTPUT="xml:Z:$results/"

wine_up
# Tests run batches that delete folders: never where a user folder leads to the home.
wine_check_sandbox || { wine_down; echo "Tests: 0 passed, 1 failed, 0 skipped"; exit 1; }
# Two at a time: the programs that share state run one after another (RESOURCE_LOCK in
# tests/CMakeLists.txt), the others beside them.
run_ctest() { ctest --test-dir "$ZV_BUILD" --output-on-failure -j "${TEST_JOBS:-2}" "$@"; }
export ZV_X86_BIN=${ZV_X86_BIN:-$PWD/build/x86/bin}   # another folder of 32-bit programs may be named
x86_why_not() {
  x86_wine_why_not || return 1
  local exe
  for exe in Vacater.exe ZevDevDll.dll zevdev.exe zvlog.exe vacater-report.exe ring_logger.exe; do
    [ -f "$ZV_X86_BIN/$exe" ] || { echo "build/x86 has no $exe (scripts/build.sh x86)"; return 1; }
  done
}
rc=0
if [ -n "${ZV_X86_BUILD_STATUS:-}" ]; then
  run_ctest -LE x86 "$@" || rc=$?
  while [ ! -f "$ZV_X86_BUILD_STATUS" ]; do sleep 1; done
  if [ "$(cat "$ZV_X86_BUILD_STATUS")" != 0 ]; then
    export ZV_X86_SKIP="the 32-bit build failed"
  elif ! ZV_X86_SKIP=$(x86_why_not); then
    export ZV_X86_SKIP
  fi
  run_ctest -L x86 "$@" || rc=$?
else
  ZV_X86_SKIP=$(x86_why_not) || export ZV_X86_SKIP
  run_ctest "$@" || rc=$?
fi
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
[ -n "${ZV_X86_SKIP:-}" ] && echo "32-bit tests skipped: $ZV_X86_SKIP"
echo "Tests: $passed passed, $failed failed, $skipped skipped"
exit $rc
