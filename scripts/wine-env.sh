# Sourced: a private Wine prefix per build tree, with a persistent wineserver whose
# standard streams are detached (otherwise ctest waits for Wine's background services).
# Call wine_up to start, wine_down to stop. wine_up also makes the prefix a sandbox.
ZV_BUILD=${ZV_BUILD:-$PWD/build/x64}
export WINEPREFIX=$ZV_BUILD/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

wine_up() {
  # A prefix made before the 32-bit Wine came has no syswow64, and 32-bit programs die at
  # start-up in it: a test prefix is only the build tree's, so it is made again.
  if [ -x /usr/lib/wine/wine ] && [ -d "$WINEPREFIX/drive_c/windows" ] &&
     [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "the Wine prefix $WINEPREFIX has no 32-bit system: making it again" >&2
    wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine wineboot -i </dev/null >/dev/null 2>&1 || true
  wine_sandbox
  # Xvfb has no window manager: Wine draws caption bars itself and does not wait (2 s per
  # window) for a manager to map or withdraw windows.
  if [ ! -f "$WINEPREFIX/.zv-x11-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f /reg:64 </dev/null >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f /reg:64 </dev/null >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.zv-x11-unmanaged"
  fi
}
wine_down() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}

# Wine links the user folders of a new prefix (Desktop, Documents, Downloads, Music,
# Pictures, Videos, Templates) to the Linux home. A batch that removes the wrong folder
# would reach the developer's own files through them, so they become plain folders. A
# marker file keeps each one non-empty: Wine replaces only links and empty folders.
# Z: (the Linux root) stays: ctest starts the test programs by their Linux paths and
# the tests write their results into the build tree through it.
wine_sandbox() {
  local dir
  for dir in "$WINEPREFIX"/drive_c/users/*/*; do
    [ -L "$dir" ] || continue
    rm -f "$dir" && mkdir -p "$dir" && : > "$dir/.zv-sandbox"
  done
}
# Fails, naming the folder, when a user folder of the prefix leads outside the prefix.
wine_check_sandbox() {
  local top dir real bad=0
  top=$(realpath "$WINEPREFIX")
  for dir in "$WINEPREFIX"/drive_c/users "$WINEPREFIX"/drive_c/users/* "$WINEPREFIX"/drive_c/users/*/*; do
    [ -e "$dir" ] || [ -L "$dir" ] || continue
    real=$(realpath -m "$dir")
    case $real in
      "$top"/*) ;;
      *) echo "refusing to run in $WINEPREFIX: $dir leads to $real" >&2; bad=1 ;;
    esac
  done
  return $bad
}
