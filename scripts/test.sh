#!/usr/bin/env bash
# make test: builds the x64 tree and runs every test under Wine while the 32-bit programs
# build beside the tests (most test time is spent waiting on Wine, timers and child
# processes, so the two cores have room for the compiler); the tests of the 32-bit programs
# run last, once they are built. A 32-bit build break fails the run after the tests.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh x64 || exit 1
mkdir -p build
x86log=build/x86-build.log
x86status=build/x86-build.status
rm -f "$x86status"
( JOBS=1 nice -n 10 scripts/build.sh x86 >"$x86log" 2>&1; s=$?
  echo $s >"$x86status.new"; mv "$x86status.new" "$x86status"; exit $s ) &
x86=$!
ZV_X86_BUILD_STATUS=$PWD/$x86status scripts/run-tests.sh "$@"
rc=$?
if ! wait "$x86"; then
  cat "$x86log"
  echo "the 32-bit build failed (the tests above ran on the 64-bit build)"
  exit 1
fi
echo "32-bit build: the programs built (log: $x86log)"
exit $rc
