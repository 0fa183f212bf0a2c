# Sourced: a private Wine prefix per build tree, with a persistent wineserver whose
# standard streams are detached (otherwise ctest waits for Wine's background services).
# Call wine_up to start, wine_down to stop.
ZV_BUILD=${ZV_BUILD:-$PWD/build/x64}
export WINEPREFIX=$ZV_BUILD/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

wine_up() {
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine wineboot -i </dev/null >/dev/null 2>&1 || true
  # Xvfb has no window manager: Wine draws caption bars itself and does not wait (2 s per
  # window) for a manager to map or withdraw windows.
  if [ ! -f "$WINEPREFIX/.zv-x11-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.zv-x11-unmanaged"
  fi
}
wine_down() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}
