#!/usr/bin/env bash
# Configures and builds both Windows targets: x64 with the tests (run under Wine) and x86
# with the programs and the helper that the 64-bit test program x86_tests starts as 32-bit
# processes (no 32-bit GoogleTest: it would only cost build time).
# Arguments name the targets to build (default: both).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
jobs=${JOBS:-2}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(x64 x86)
for target in "${targets[@]}"; do
  case $target in
    x64) tc=cmake/mingw-x86_64.cmake tests=ON ;;
    x86) tc=cmake/mingw-i686.cmake tests=OFF ;;
    *) echo "unknown target $target (x64 or x86)"; exit 3 ;;
  esac
  dir=build/$target
  # Configured every time, so a changed list of sources takes effect without a clean build.
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/$tc" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZV_TESTS=$tests >/dev/null
  echo "== building $target"
  status=0
  cmake --build "$dir" -j "$jobs" -- --no-print-directory 2>&1 \
    | { grep -v -E '^\[ *[0-9]+%\] (Building|Linking)' || true; } || status=$?
  [ "$status" -eq 0 ] || { echo "build of $target failed"; exit 1; }
done
