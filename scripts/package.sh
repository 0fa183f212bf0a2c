#!/usr/bin/env bash
# make package: builds the release of both targets and writes
# dist/vacater-<version>-win32.zip and -win64.zip with the program, the device library
# and its console tool zevdev.exe, zvlog.exe, the sample Application.ini, the two
# splash pictures, the three registry files and README.txt. The version is the one in the
# file VERSION, which the version resource carries too.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
. scripts/release-build.sh
version=$(head -n1 VERSION)
stage=build/package
rm -rf "$stage"
mkdir -p "$stage/pictures" dist
scripts/make-package-content.sh "$stage/pictures" >/dev/null

for target in x86 x64; do
  release_build "$target"
  case $target in x86) arch=win32 ;; x64) arch=win64 ;; esac
  bin=build/release-$target/bin
  name=vacater-$version-$arch
  dir=$stage/$name
  mkdir -p "$dir"
  cp "$bin/Vacater.exe" "$bin/ZevDevDll.dll" "$bin/zevdev.exe" "$bin/zvlog.exe" "$dir/"
  cp package/Application.ini package/logging-*.reg package/README.txt "$dir/"
  cp "$stage/pictures/removesplash.bmp" "$stage/pictures/ejectoksplash.bmp" "$dir/"

  # The version resource must carry the version the zip is named after.
  if ! x86_64-w64-mingw32-strings -el "$dir/Vacater.exe" | grep -q -x -F "$version"; then
    echo "Vacater.exe of $target does not carry version $version"; exit 1
  fi
  for f in "$dir"/*.exe "$dir"/*.dll; do
    faults=$(release_file_faults "$target" "$f")
    [ -z "$faults" ] || { echo "$f:$faults (make size tells more)"; exit 1; }
  done
  rm -f "dist/$name.zip"
  (cd "$stage" && zip -q -r -X "$top/dist/$name.zip" "$name")
  echo "dist/$name.zip:"
  (cd "$dir" && for f in *; do printf '  %-20s %9d\n' "$f" "$(stat -c %s "$f")"; done)
done
