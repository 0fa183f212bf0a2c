#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the demo and the release (signing
# with osslsigncode, checking with openssl, the zip writer and its tests in python3) need,
# when missing; and, where the machine runs 32-bit code, the 32-bit Wine for the 32-bit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/x86-probe.sh

packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine xvfb xauth x11-apps
          imagemagick googletest cmake make
          osslsigncode openssl python3 softhsm2 opensc libengine-pkcs11-openssl locales
          libc6-i386)   # amd64: the probe for 32-bit code (/lib/ld-linux.so.2), on every machine
need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The 32-bit Wine only where 32-bit code runs: elsewhere every Wine call would fail with it.
if why=$(x86_code_why_not); then
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    version=$(dpkg-query -W -f='${Version}' wine64)
    echo "Installing: wine32:i386 $version (this machine runs 32-bit code)"
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "wine32:i386=$version" >/dev/null
  fi
else
  echo "No 32-bit Wine: $why (the 32-bit tests will be skipped)"
fi
