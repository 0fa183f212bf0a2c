#!/usr/bin/env bash
# A typical removal, end to end, under Wine, played twice: the package on a token drive E:,
# started the way the package's launcher starts it, the relocated copy ejecting the token
# and cleaning up with its batch. First with a scenario of the test build's device library
# (the token refuses twice, then is ejected; not with a release package, whose library has
# no scenarios), then with the library's device-tree back-end against a token registered
# in Wine's device tree. Prints what happened. `make demo` builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
if [ -z "${DISPLAY:-}" ] || [ -z "${ZV_IN_XVFB:-}" ]; then
  export ZV_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$top/scripts/demo.sh" "$@"
fi
export ZV_BUILD=$top/build/x64
. scripts/wine-env.sh
bin=$ZV_BUILD/bin
# ZV_DEMO_PACKAGE=<unzipped release folder>: the program and its library come from there.
pkg=${ZV_DEMO_PACKAGE:-$bin}
[ -f "$pkg/Vacater.exe" ] && [ -f "$pkg/ZevDevDll.dll" ] || { echo "missing the program in $pkg"; exit 1; }
for f in Vacater.exe ZevDevDll.dll zevdev.exe vlaunch.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: run make build first"; exit 1; }
done

demo=$ZV_BUILD/demo                 # everything of the demo, on the Linux side
token=$demo/token                   # the token's drive E:
work=$WINEPREFIX/drive_c/vacater-demo   # C:\vacater-demo: scenario, journals, logs
rm -rf "$demo" "$work"
mkdir -p "$demo"

key="HKLM\\$(sed -n 's/^settings_key = //p' app/ProductFacts.txt)"
device='HKLM\System\CurrentControlSet\Enum\USB\VID_3E7A&PID_4107'
wine_up
wine_check_sandbox || { wine_down; exit 1; }
# The logging settings and the registered token are the demo's only: the tests share this prefix.
forget_settings() {
  for v in LogLevel LogPath LogFileAppendPID ShowPid; do
    wine reg delete "$key" /v $v /f >/dev/null 2>&1 || true
  done
  wine reg delete "$device" /f >/dev/null 2>&1 || true
}
trap 'forget_settings; wine_down' EXIT
ln -sfn "$token" "$WINEPREFIX/dosdevices/e:"

# The temporary directory the program will use, seen from Linux.
temp_win=$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
temp=$(winepath -u "$temp_win" 2>/dev/null)
mkdir -p "$temp"

# removal NAME: one removal with the device library as set up by the caller; its journal,
# logs and cache folder live in C:\vacater-demo\NAME, its screenshot is $demo/$2.
removal() {
  local name=$1 shot=$demo/$2 run=$work/$1 runw="C:\\vacater-demo\\$1"
  rm -rf "$token"
  mkdir -p "$token/Vaultik" "$run/logs" "$run/VaultikCache/data"

  # The package on the token: program, device library, settings and the two splash pictures.
  cp "$pkg/Vacater.exe" "$pkg/ZevDevDll.dll" "$token/Vaultik/"
  scripts/make-package-content.sh "$token/Vaultik" >/dev/null
  rm -f "$token/Vaultik/"*.jpg "$token/Vaultik/"*.gif
  echo "cache of the package" > "$run/VaultikCache/data/cache.txt"
  export ZEVDEV_JOURNAL="$runw\\journal.txt"

  # Logging: every trace, one log file per instance.
  wine reg add "$key" /v LogLevel /t REG_DWORD /d 0x0F000000 /f >/dev/null 2>&1
  wine reg add "$key" /v LogPath /t REG_SZ /d "$runw\\logs\\vacater" /f >/dev/null 2>&1
  wine reg add "$key" /v LogFileAppendPID /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$key" /v ShowPid /t REG_DWORD /d 1 /f >/dev/null 2>&1

  rm -f "$temp/remove.bat"
  ls -A "$temp" | sort > "$demo/$name-temp-before.txt"

  # The batch writes the folder unquoted, so the demo's folder has no blank in its name.
  local args="/RmAbsDir=\"$runw\\VaultikCache\" /CleanUpOnly=0 /VKDriveLetter=E:"
  local launch="E:\\Vaultik\\Vacater.exe $args"
  echo "== starting, as the launcher does: $launch"
  printf '%s\r\n' "$launch" > "$run/launch.txt"
  ( cd "$token/Vaultik" && wine "$bin/vlaunch.exe" "@$runw\\launch.txt" ) </dev/null >/dev/null 2>&1 || true
  ls -A "$temp" | sort > "$demo/$name-temp-copied.txt"

  # Instance B runs from %TEMP%: catch its splash on the screen, then wait for the batch.
  for _ in $(seq 1 300); do
    grep -q 'pid_41' "$run/journal.txt" 2>/dev/null && break
    sleep 0.1
  done
  sleep 1
  import -display "$DISPLAY" -window root "$shot" 2>/dev/null || shot=""
  for _ in $(seq 1 900); do
    [ ! -e "$temp/Vacater.exe" ] && [ ! -e "$temp/remove.bat" ] && break
    sleep 0.1
  done
  sleep 1
  ls -A "$temp" | sort > "$demo/$name-temp-after.txt"
  account "$name" "$run" "$shot"
}

# account NAME RUN SHOT: what happened in one removal.
account() {
  local name=$1 run=$2 shot=$3 runw="C:\\vacater-demo\\$1"
  echo
  echo "== instances"
  shopt -s nullglob
  local logs=("$run"/logs/*.log)
  [ ${#logs[@]} -gt 0 ] || { echo "   no log was written to $run/logs"; exit 1; }
  for log in "${logs[@]}"; do
    line=$(tr -d '\000\r' < "$log" | grep -a -o 'CommandLine : .*' | head -1 | sed 's/^CommandLine : //; s/ *$//')
    mode=$(tr -d '\000\r' < "$log" | grep -a -o -E 'we run from this instance|prepare the copy of the whole package|Received Commandline-Parameter /Sleep' | head -1)
    case $mode in
      we*) what="ran the removal from %TEMP%" ;;
      prepare*) what="copied the package to %TEMP% and started the copy" ;;
      *Sleep*) what="only slept" ;;
      *) what="?" ;;
    esac
    echo "   $(basename "$log"): $what"
    echo "      command line: $line"
  done

  echo
  echo "== ejection attempts (device library journal $runw\\journal.txt)"
  # An attempt whose pass asked for the "error" field was refused; otherwise it ejected.
  tr -d '\r' < "$run/journal.txt" 2>/dev/null | awk -F'\t' '
    function done_() { if (n) printf "   attempt %d: %s\n", n, refused ? "refused (CR_REMOVE_VETOED), retried a second later" : "ejected" }
    $1 == "ZDAPI_ZevDevExec" && $4 ~ /pid_41/ { done_(); n++; refused = 0; inside = 1; next }
    $1 == "ZDAPI_ZevDevExec" { inside = 0 }
    inside && $1 == "ZDAPI_GetDeviceInfo" && $4 == "error" { refused = 1 }
    END { done_() }' || true
  local requests
  requests=$(tr -d '\r' < "$run/journal.txt" 2>/dev/null | grep -a -c $'^ZDAPI_ZevDevExec\t.*pid_41' || true)
  echo "   requests for the token: $requests (each also tried the first pattern, which matches nothing)"
  echo "   back-end: $(tr -d '\r' < "$run/journal.txt" 2>/dev/null | grep -a -m1 '^#' | sed 's/^# //')"
  # The last device record the program traced, as the library reported it.
  for log in "${logs[@]}"; do
    tr -d '\000\r' < "$log" | awk -v name="$(basename "$log")" '
      /^(info|error|veto_type|veto_name|instance_id|hardware_id|description)=/ {
        if (!inside) block = ""; inside = 1; block = block "      " $0 "\n"; next }
      { inside = 0 }
      END { if (block != "") printf "   last device record traced in %s:\n%s", name, block }'
  done

  echo
  echo "== copied into %TEMP% ($temp_win)"
  comm -13 "$demo/$name-temp-before.txt" "$demo/$name-temp-copied.txt" | sed 's/^/   /'
  echo
  echo "== removed by remove.bat"
  comm -23 "$demo/$name-temp-copied.txt" "$demo/$name-temp-after.txt" | sed 's/^/   /'
  [ -e "$run/VaultikCache" ] && echo "   (the /RmAbsDir folder is still there)" \
                              || echo "   the /RmAbsDir folder $runw\\VaultikCache"
  [ -e "$temp/remove.bat" ] || echo "   remove.bat itself, last"
  local left
  left=$(comm -13 "$demo/$name-temp-before.txt" "$demo/$name-temp-after.txt")
  [ -n "$left" ] && { echo "   left behind:"; echo "$left" | sed 's/^/      /'; }

  echo
  echo "== log"
  for log in "${logs[@]}"; do echo "   $log"; done
  echo
  echo "== splash screenshot"
  [ -n "$shot" ] && echo "   $shot" || echo "   (no screenshot: imagemagick's import failed)"
}

if [ -z "${ZV_DEMO_PACKAGE:-}" ]; then
  echo "######## 1. the device library plays a scenario: refused twice, then ejected"
  # (the first pattern matches no device)
  mkdir -p "$work/scenario"
  cp zevdev/scenarios/vetoed-twice.txt "$work/scenario/scenario.txt"
  export ZEVDEV_SCENARIO='C:\vacater-demo\scenario\scenario.txt'
  removal scenario splash.png
else
  # The released library has no scenario back-end: it always asks the device tree.
  echo "######## 1. (skipped: the library of a release package plays no scenarios)"
fi

echo
echo "######## 2. the device library works on Wine's device tree, with a token registered there"
unset ZEVDEV_SCENARIO
wine reg add "$device\\DEMO0001" /v HardwareID /t REG_MULTI_SZ \
  /d 'USB\VID_3E7A&PID_4107&REV_0100\0USB\VID_3E7A&PID_4107' /f >/dev/null 2>&1
wine reg add "$device\\DEMO0001" /v ClassGUID /t REG_SZ /d '{36fc9e60-c465-11cf-8056-444553540000}' /f >/dev/null 2>&1
wine reg add "$device\\DEMO0001" /v DeviceDesc /t REG_SZ /d 'Vaultik' /f >/dev/null 2>&1
echo "== Wine's device tree, as zevdev.exe lists it"
wine "$bin/zevdev.exe" list 'usb\vid_3e7a*' </dev/null 2>/dev/null | tr -d '\r' | sed 's/^/   /' || true
removal system splash-system.png
