#!/usr/bin/env bash
# Authenticode signing of the release files, called by package.sh.
#
#   release-sign.sh check        checks the certificate and the key; prints one line when
#                                signing is off
#   release-sign.sh FILE...      signs each .exe / .dll in place, then verifies each
#
# Signing is on when VACATER_SIGN_CERT and VACATER_SIGN_KEY name a PEM certificate (it may
# be followed by its chain) and its PEM private key. Optional:
#   VACATER_SIGN_PASSFILE   a file holding the key's passphrase
#   VACATER_SIGN_TIMESTAMP  the URL of an RFC 3161 time stamp server
#   VACATER_SIGN_CAFILE     the trusted root(s) to verify against (default: the certificate file)
# Without a time stamp server the signing time is SOURCE_DATE_EPOCH (the commit's time), so
# an RSA key signs the same file into the same bytes every time; a time stamp differs.
# Exit status 1, with a message, for a certificate that is not one, is expired, is not for
# code signing, a key that does not belong to it, or a signature that does not verify.
set -euo pipefail

cert=${VACATER_SIGN_CERT:-}
key=${VACATER_SIGN_KEY:-}

fail() { echo "signing: $*" >&2; exit 1; }

signing_on() {
  if [ -z "$cert" ] && [ -z "$key" ]; then return 1; fi
  [ -n "$cert" ] || fail "VACATER_SIGN_KEY is set but VACATER_SIGN_CERT is not"
  [ -n "$key" ] || fail "VACATER_SIGN_CERT is set but VACATER_SIGN_KEY is not"
  return 0
}

passin=()
[ -z "${VACATER_SIGN_PASSFILE:-}" ] || passin=(-passin "file:$VACATER_SIGN_PASSFILE")

check() {
  [ -r "$cert" ] || fail "cannot read the certificate $cert (VACATER_SIGN_CERT)"
  [ -r "$key" ] || fail "cannot read the key $key (VACATER_SIGN_KEY)"
  local certpub keypub
  certpub=$(openssl x509 -noout -pubkey -in "$cert" 2>/dev/null) \
    || fail "$cert (VACATER_SIGN_CERT) is not a PEM certificate"
  keypub=$(openssl pkey -pubout -in "$key" "${passin[@]}" 2>/dev/null) \
    || fail "$key (VACATER_SIGN_KEY) is not a PEM private key (or its passphrase is wrong)"
  [ "$certpub" = "$keypub" ] \
    || fail "the key $key does not belong to the certificate $cert (their public keys differ)"
  openssl x509 -noout -checkend 0 -in "$cert" >/dev/null \
    || fail "the certificate $cert has expired"
  openssl x509 -noout -ext extendedKeyUsage -in "$cert" 2>/dev/null | grep -q 'Code Signing' \
    || fail "the certificate $cert is not for code signing (no Code Signing extended key usage)"
}

sign_file() {
  local file=$1 tmp=$1.signed
  local args=(-certs "$cert" -key "$key" -h sha256 -n "Vacater")
  [ -z "${VACATER_SIGN_PASSFILE:-}" ] || args+=(-readpass "$VACATER_SIGN_PASSFILE")
  if [ -n "${VACATER_SIGN_TIMESTAMP:-}" ]; then
    args+=(-ts "$VACATER_SIGN_TIMESTAMP")
  else
    args+=(-time "${SOURCE_DATE_EPOCH:?SOURCE_DATE_EPOCH is not set}")
  fi
  rm -f "$tmp"
  local out
  out=$(osslsigncode sign "${args[@]}" -in "$file" -out "$tmp" 2>&1) \
    || { rm -f "$tmp"; fail "signing $file failed: $(grep -v -E '^[0-9A-F]+:error:' <<<"$out" | tr '\n' ' ')"; }
  mv "$tmp" "$file"
  out=$(osslsigncode verify -CAfile "${VACATER_SIGN_CAFILE:-$cert}" -in "$file" 2>&1) \
    || fail "the signature of $file does not verify: $(grep -E 'MISMATCH|[Ee]rror|Failed' <<<"$out" | head -n 3)"
}

case ${1:-} in
  "") echo "usage: release-sign.sh check | FILE..." >&2; exit 2 ;;
  check)
    if signing_on; then
      check
    else
      echo "unsigned: VACATER_SIGN_CERT/VACATER_SIGN_KEY not set"
    fi ;;
  *)
    signing_on || exit 0
    check
    for f in "$@"; do sign_file "$f"; done ;;
esac
