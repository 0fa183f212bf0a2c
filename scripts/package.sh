#!/usr/bin/env bash
# make package: builds the release of both targets and writes
# dist/vacater-<version>-win32.zip and -win64.zip with the program, the device library
# and its console tool zevdev.exe, zvlog.exe, the support report vacater-report.exe, the
# sample Application.ini, the two splash pictures, the three registry files, the Group
# Policy templates (policy/) and README.txt, and dist/SHA256SUMS over the two zips. The
# version is the one in the file VERSION, which the version resource carries too.
# With VACATER_SIGN_CERT and VACATER_SIGN_KEY every .exe and .dll is signed and time-stamped
# (release-sign.sh); signed without a time stamp (VACATER_SIGN_NO_TIMESTAMP=1) the zips are
# named -not-for-release. The zips are reproducible: the same commit gives the same bytes
# (make reproduce checks it). Any failure leaves no zip in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
. scripts/release-build.sh
version=$(head -n1 VERSION)
stage=build/package
rm -rf "$stage"
mkdir -p "$stage/pictures" "$stage/zips" dist
rm -f dist/vacater-"$version"-win{32,64}{,-not-for-release}.zip dist/SHA256SUMS
# A bad certificate, key, token or PIN stops here, before anything is built.
state=$(scripts/release-sign.sh check)
[ -z "$state" ] || echo "$state"
suffix=
case $state in "not for release:"*) suffix=-not-for-release ;; esac
scripts/make-package-content.sh "$stage/pictures" >/dev/null

zips=()
for target in x86 x64; do
  release_build "$target"
  # The support report ships too; it has no size limit (make size leaves it out).
  cmake --build "build/release-$target" -j "${JOBS:-2}" --target vacater-report -- --no-print-directory 2>&1 \
    | { grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built)' || true; }
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "release build of vacater-report ($target) failed"; exit 1; }
  case $target in x86) arch=win32 ;; x64) arch=win64 ;; esac
  bin=build/release-$target/bin
  name=vacater-$version-$arch$suffix
  dir=$stage/$name
  mkdir -p "$dir"
  cp "$bin/Vacater.exe" "$bin/ZevDevDll.dll" "$bin/zevdev.exe" "$bin/zvlog.exe" \
     "$bin/vacater-report.exe" "$dir/"
  cp package/Application.ini package/logging-*.reg package/README.txt "$dir/"
  cp -r package/policy "$dir/"
  cp "$stage/pictures/removesplash.bmp" "$stage/pictures/ejectoksplash.bmp" "$dir/"

  # The version resource must carry the version the zip is named after.
  if ! x86_64-w64-mingw32-strings -el "$dir/Vacater.exe" | grep -q -x -F "$version"; then
    echo "Vacater.exe of $target does not carry version $version"; exit 1
  fi
  if ! grep -q -a -F "name=\"ZevtronSystems.Vacater\" version=\"$version\"" "$dir/Vacater.exe"; then
    echo "the manifest of Vacater.exe of $target does not carry version $version"; exit 1
  fi
  # Signed first: the size limits hold for the bytes that ship.
  scripts/release-sign.sh "$dir"/*.exe "$dir"/*.dll
  for f in "$dir"/*.exe "$dir"/*.dll; do
    faults=$(release_file_faults "$target" "$f")
    [ -z "$faults" ] || { echo "$f:$faults (make size tells more)"; exit 1; }
    # A path of this machine would make the file differ from another build of the commit.
    if grep -q -a -F "$top" "$f"; then echo "$f names the build folder $top"; exit 1; fi
  done
  scripts/release_zip.py zip "$stage/zips/$name.zip" "$stage" "$name"
  zips+=("$name.zip")
done

# Only now, with both zips complete, do they go to dist/.
for z in "${zips[@]}"; do mv "$stage/zips/$z" dist/; done
scripts/release_zip.py sums dist "${zips[@]}"
for z in "${zips[@]}"; do
  echo "dist/$z:"
  (cd "$stage/${z%.zip}" && find . -type f | sort | while read -r f; do
     printf '  %-34s %9d\n' "${f#./}" "$(stat -c %s "$f")"; done)
done
echo "dist/SHA256SUMS:"
sed 's/^/  /' dist/SHA256SUMS
