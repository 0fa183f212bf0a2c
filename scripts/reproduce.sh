#!/usr/bin/env bash
# make reproduce: checks that the release of the checked-out commit is reproducible. Clones
# the commit into two temporary folders whose paths differ (in length too), runs
# `make package` in each, and compares the two zips of each target byte for byte and the
# two SHA256SUMS. Unsigned (the signing variables are cleared). Prints the zips' SHA-256
# and one verdict line; exit status 0 when identical, 1 when not.
# REPRODUCE_KEEP=1 keeps the two folders. Uncommitted changes are not part of the check.
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] \
  || echo "note: uncommitted changes are not part of the check (it builds commit ${commit:0:12})"
work=$(mktemp -d "${TMPDIR:-/tmp}/vacater-reproduce.XXXXXX")
[ "${REPRODUCE_KEEP:-}" = 1 ] || trap 'rm -rf "$work"' EXIT
a=$work/a
b=$work/second-build-in-a-longer-folder
for d in "$a" "$b"; do
  git clone -q --no-hardlinks "$PWD" "$d"
  git -C "$d" checkout -q "$commit"
  echo "== make package in $d"
  (cd "$d" && unset VACATER_SIGN_CERT VACATER_SIGN_KEY SOURCE_DATE_EPOCH &&
     scripts/package.sh >"$d.log" 2>&1) \
    || { tail -n 30 "$d.log"; echo "reproduce: make package failed in $d (log above)"; exit 1; }
done

status=0
for z in "$a"/dist/*.zip "$a"/dist/SHA256SUMS; do
  f=$(basename "$z")
  if cmp -s "$z" "$b/dist/$f"; then
    printf '  identical  %s\n' "$f"
  else
    printf '  DIFFERENT  %s\n' "$f"; status=1
    [ -f "$b/dist/$f" ] && cmp "$z" "$b/dist/$f" | head -n 1 | sed 's/^/             /' || true
  fi
done
[ "$(ls "$a/dist" | sort)" = "$(ls "$b/dist" | sort)" ] || { echo "  the two dist/ folders hold different files"; status=1; }
echo "SHA256SUMS of commit ${commit:0:12}:"
sed 's/^/  /' "$a/dist/SHA256SUMS"
if [ $status -eq 0 ]; then
  echo "reproduce: the release of ${commit:0:12} is reproducible (two builds, identical zips)"
else
  echo "reproduce: the two builds of ${commit:0:12} DIFFER"
fi
exit $status
