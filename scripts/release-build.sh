#!/usr/bin/env bash
# Sourced by size.sh and package.sh: release_build TARGET builds the release files of one
# Windows target (x86 or x64) into build/release-TARGET/bin: optimised for size, stripped,
# compiled like the test build (cmake/release.cmake).

# Reproducible: what the compiler would take from the clock (the logger's compile time)
# comes from the commit's time, as do the zip entries' times (package.sh).
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$(dirname "${BASH_SOURCE[0]}")" log -1 --format=%ct 2>/dev/null) \
    || SOURCE_DATE_EPOCH=$(stat -c %Y "$(dirname "${BASH_SOURCE[0]}")/../VERSION")
fi
export SOURCE_DATE_EPOCH

release_build() {
  local target=$1 tc dir
  case $target in
    x64) tc=cmake/mingw-x86_64.cmake ;;
    x86) tc=cmake/mingw-i686.cmake ;;
  esac
  dir=build/release-$target
  # ZEVDEV_SCENARIOS=OFF: the shipped ZevDevDll.dll has no scenario back-end and no test hooks.
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/$tc" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DZEVDEV_SCENARIOS=OFF >/dev/null
  local targets=(Vacater ZevDevDll zevdev zvlog)
  echo "== release build $target: ${targets[*]}"
  cmake --build "$dir" -j "${JOBS:-2}" --target "${targets[@]}" -- --no-print-directory 2>&1 \
    | { grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built)' || true; }
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "release build of $target failed"; return 1; }
}

# The DLLs a module imports, one a line.
imports_of() {
  local objdump=x86_64-w64-mingw32-objdump
  "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'
}

# Imports that Windows may take from the program's own folder: every DLL that is not a KnownDLL
# (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 10 and 11),
# except ZevDevDll.dll, ours, which ships beside the program. The program runs from %TEMP%:
# other system DLLs are delay-loaded from the system folder (cmake/DelayImports.cmake).
KNOWN_DLLS='advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32'
foreign_imports() {
  imports_of "$1" | grep -v -i -x -E "($KNOWN_DLLS|zevdevdll)\.dll" || true
}

# The size limit of a release file in bytes, or "-" where there is none: the 32-bit program
# and its device library must stay small enough for the token's drive.
size_limit() {
  local target=$1 file=$2
  case $target/$file in
    x86/Vacater.exe) echo 262144 ;;
    x86/ZevDevDll.dll) echo 98304 ;;
    *) echo - ;;
  esac
}

# The texts of the device library's scenario back-end and test hooks that a release file
# holds (narrow or wide), one a line: none in what ships.
scenario_texts_in() {
  { x86_64-w64-mingw32-strings -a "$1"; x86_64-w64-mingw32-strings -a -el "$1"; } \
    | grep -i -E 'scenario|ZDSIM_' | sort -u || true
}

# What is wrong with a release file, as marks to print after it, or nothing: over the size
# limit of its target, importing a DLL that Windows may take from the program's folder (not
# a KnownDLL, not ours), or holding scenario code.
release_file_faults() {
  local target=$1 path=$2 limit foreign scenario
  limit=$(size_limit "$target" "$(basename "$path")")
  if [ "$limit" != - ] && [ "$(stat -c %s "$path")" -gt "$limit" ]; then printf '  OVER THE LIMIT'; fi
  foreign=$(foreign_imports "$path" | tr '\n' ' ')
  if [ -n "$foreign" ]; then printf '  NOT A KNOWNDLL: %s' "$foreign"; fi
  scenario=$(scenario_texts_in "$path" | head -3 | tr '\n' ' ')
  if [ -n "$scenario" ]; then printf '  SCENARIO CODE: %s' "$scenario"; fi
}
