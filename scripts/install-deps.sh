#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the demo and the release (signing
# with osslsigncode, checking with openssl, the zip writer and its tests in python3) need,
# when missing.
set -euo pipefail

packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine xvfb xauth x11-apps
          imagemagick googletest cmake make
          osslsigncode openssl python3 softhsm2 opensc libengine-pkcs11-openssl locales)
need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
