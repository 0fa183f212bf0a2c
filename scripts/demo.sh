#!/usr/bin/env bash
# A typical removal, end to end, under Wine: the package on a token drive E:, started the
# way the package's launcher starts it; the token refuses twice and is then ejected; the
# relocated copy cleans up with its batch. Prints what happened. `make demo` builds first.
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
for f in Vacater.exe ZevDevDll.dll vlaunch.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: run make build first"; exit 1; }
done

demo=$ZV_BUILD/demo                 # everything of the demo, on the Linux side
token=$demo/token                   # the token's drive E:
work=$WINEPREFIX/drive_c/vacater-demo   # C:\vacater-demo: scenario, journal, logs
rm -rf "$demo" "$work"
mkdir -p "$token/Vaultik" "$work/logs" "$work/VaultikCache/data" "$demo"

key='HKLM\Software\Zevtron Systems\Zevtron Vaultik\tresoria'
wine_up
wine_check_sandbox || { wine_down; exit 1; }
# The logging settings are the demo's only: the tests share this prefix.
forget_settings() {
  for v in LogLevel LogPath LogFileAppendPID ShowPid; do
    wine reg delete "$key" /v $v /f >/dev/null 2>&1 || true
  done
}
trap 'forget_settings; wine_down' EXIT
ln -sfn "$token" "$WINEPREFIX/dosdevices/e:"

# The package on the token: program, device library, settings and the two splash pictures.
cp "$bin/Vacater.exe" "$bin/ZevDevDll.dll" "$token/Vaultik/"
scripts/make-package-content.sh "$token/Vaultik" >/dev/null
rm -f "$token/Vaultik/"*.jpg "$token/Vaultik/"*.gif
echo "cache of the package" > "$work/VaultikCache/data/cache.txt"

# The device library's scenario: the token is refused twice, then ejected (the first
# pattern matches no device).
cp zevdev/scenarios/vetoed-twice.txt "$work/scenario.txt"
export ZEVDEV_SCENARIO='C:\vacater-demo\scenario.txt'
export ZEVDEV_JOURNAL='C:\vacater-demo\journal.txt'

# Logging: every trace, one log file per instance.
wine reg add "$key" /v LogLevel /t REG_DWORD /d 0x0F000000 /f >/dev/null 2>&1
wine reg add "$key" /v LogPath /t REG_SZ /d 'C:\vacater-demo\logs\vacater' /f >/dev/null 2>&1
wine reg add "$key" /v LogFileAppendPID /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$key" /v ShowPid /t REG_DWORD /d 1 /f >/dev/null 2>&1

# The temporary directory the program will use, seen from Linux.
temp_win=$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
temp=$(winepath -u "$temp_win" 2>/dev/null)
mkdir -p "$temp"
rm -f "$temp/remove.bat"
ls -A "$temp" | sort > "$demo/temp-before.txt"

# The batch writes the folder unquoted, so the demo's folder has no blank in its name.
args='/RmAbsDir="C:\vacater-demo\VaultikCache" /CleanUpOnly=0 /VKDriveLetter=E:'
launch="E:\\Vaultik\\Vacater.exe $args"
echo "== starting, as the launcher does: $launch"
printf '%s\r\n' "$launch" > "$work/launch.txt"
( cd "$token/Vaultik" && wine "$bin/vlaunch.exe" '@C:\vacater-demo\launch.txt' ) </dev/null >/dev/null 2>&1 || true
ls -A "$temp" | sort > "$demo/temp-copied.txt"

# Instance B runs from %TEMP%: catch its splash on the screen, then wait for the batch.
shot=$demo/splash.png
for _ in $(seq 1 300); do
  grep -q 'pid_41' "$work/journal.txt" 2>/dev/null && break
  sleep 0.1
done
sleep 1
import -display "$DISPLAY" -window root "$shot" 2>/dev/null || shot=""
for _ in $(seq 1 900); do
  [ ! -e "$temp/Vacater.exe" ] && [ ! -e "$temp/remove.bat" ] && break
  sleep 0.1
done
sleep 1
ls -A "$temp" | sort > "$demo/temp-after.txt"

# ---- the account ----------------------------------------------------------------------
echo
echo "== instances"
shopt -s nullglob
logs=("$work"/logs/*.log)
if [ ${#logs[@]} -eq 0 ]; then
  echo "   (no log was written: this build's logger is not in yet)"
fi
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
echo "== ejection attempts (device library journal C:\\vacater-demo\\journal.txt)"
# An attempt whose pass asked for the "error" field was refused; otherwise it ejected.
tr -d '\r' < "$work/journal.txt" 2>/dev/null | awk -F'\t' '
  function done_() { if (n) printf "   attempt %d: %s\n", n, refused ? "refused (CR_REMOVE_VETOED), retried a second later" : "ejected" }
  $1 == "ZDAPI_ZevDevExec" && $4 ~ /pid_41/ { done_(); n++; refused = 0; inside = 1; next }
  $1 == "ZDAPI_ZevDevExec" { inside = 0 }
  inside && $1 == "ZDAPI_GetDeviceInfo" && $4 == "error" { refused = 1 }
  END { done_() }' || true
requests=$(tr -d '\r' < "$work/journal.txt" 2>/dev/null | grep -a -c $'^ZDAPI_ZevDevExec\t.*pid_41' || true)
echo "   requests for the token: $requests (each also tried the first pattern, which matches nothing)"

echo
echo "== copied into %TEMP% ($temp_win)"
comm -13 "$demo/temp-before.txt" "$demo/temp-copied.txt" | sed 's/^/   /'
echo
echo "== removed by remove.bat"
comm -23 "$demo/temp-copied.txt" "$demo/temp-after.txt" | sed 's/^/   /'
[ -e "$work/VaultikCache" ] && echo "   (the /RmAbsDir folder is still there)" \
                            || echo "   the /RmAbsDir folder C:\\vacater-demo\\VaultikCache"
[ -e "$temp/remove.bat" ] || echo "   remove.bat itself, last"
left=$(comm -13 "$demo/temp-before.txt" "$demo/temp-after.txt")
[ -n "$left" ] && { echo "   left behind:"; echo "$left" | sed 's/^/      /'; }

echo
echo "== log"
if [ ${#logs[@]} -gt 0 ]; then
  for log in "${logs[@]}"; do echo "   $log"; done
else
  echo "   none"
fi
echo
echo "== splash screenshot"
[ -n "$shot" ] && echo "   $shot" || echo "   (no screenshot: imagemagick's import failed)"
