#!/usr/bin/env bash
# Authenticode signing of the release files, called by package.sh.
#
#   release-sign.sh check        checks the settings, the certificate and the key (on a token:
#                                a test signature, so a wrong PIN stops before any build);
#                                prints one line when signing is off or not for release
#   release-sign.sh FILE...      signs each .exe / .dll in place, then verifies each
#
# Signing is on when VACATER_SIGN_CERT names a PEM certificate (it may be followed by its
# chain) and VACATER_SIGN_KEY its private key: a PEM file, or a key on a token or HSM as a
# PKCS#11 URI (pkcs11:token=...;object=...) with VACATER_SIGN_PKCS11_MODULE naming the
# token's PKCS#11 module. The key's passphrase or the token's PIN comes from a file,
# VACATER_SIGN_PASSFILE, or from the environment, VACATER_SIGN_PIN; it never goes onto a
# command line (ps shows those to every user).
#
# A signature needs a time stamp, or it dies with its certificate: VACATER_SIGN_TIMESTAMP
# names an RFC 3161 time stamp server, and VACATER_SIGN_TSA_CAFILE the roots its stamps are
# verified against (default: VACATER_SIGN_CAFILE). Without a server signing stops, unless
# VACATER_SIGN_NO_TIMESTAMP=1 says the build is not for release: then the signing time is
# SOURCE_DATE_EPOCH (the commit's time), so an RSA key signs the same file into the same
# bytes every time, and `check` prints "not for release: ...".
# VACATER_SIGN_CAFILE: the trusted root(s) of the signature (default: the certificate file).
# The check of each signature asks whether the certificate is revoked. osslsigncode fetches
# the revocation lists (CRLs) from the addresses in the certificates; a machine that cannot
# reach them (a release machine off the network) names the lists in VACATER_SIGN_CRLFILE,
# PEM CRLs of the certificate's issuer (more may follow): then nothing is fetched, and
# `check` finds a revoked certificate or a list that has run out before anything is built.
#
# Every signature carries page hashes. The verification reads osslsigncode's report, not
# only its exit status: osslsigncode says "Succeeded" and exits 0 also when the time stamp
# did not verify.
# Exit status 1, with a message, for settings, a certificate, a key, a token or a
# signature that is not right.
set -euo pipefail

cert=${VACATER_SIGN_CERT:-}
key=${VACATER_SIGN_KEY:-}
module=${VACATER_SIGN_PKCS11_MODULE:-}
tsa=${VACATER_SIGN_TIMESTAMP:-}
no_tsa=${VACATER_SIGN_NO_TIMESTAMP:-}
cafile=${VACATER_SIGN_CAFILE:-$cert}
tsa_cafile=${VACATER_SIGN_TSA_CAFILE:-${VACATER_SIGN_CAFILE:-}}
crlfile=${VACATER_SIGN_CRLFILE:-}

fail() { echo "signing: $*" >&2; exit 1; }

signing_on() {
  if [ -z "$cert" ] && [ -z "$key" ]; then return 1; fi
  [ -n "$cert" ] || fail "VACATER_SIGN_KEY is set but VACATER_SIGN_CERT is not"
  [ -n "$key" ] || fail "VACATER_SIGN_CERT is set but VACATER_SIGN_KEY is not"
  return 0
}

on_token() { [[ $key == pkcs11:* ]]; }

# The passphrase or PIN as a file for -readpass / -passin, or nothing. A PIN from the
# environment goes into a file only this user can read, removed on exit.
secret=
secret_dir=
cleanup() { [ -z "$secret_dir" ] || rm -rf "$secret_dir"; }
trap cleanup EXIT
take_secret() {
  if [ -n "${VACATER_SIGN_PIN:-}" ] && [ -n "${VACATER_SIGN_PASSFILE:-}" ]; then
    fail "VACATER_SIGN_PIN and VACATER_SIGN_PASSFILE are both set: give the PIN one way"
  fi
  if [ -n "${VACATER_SIGN_PASSFILE:-}" ]; then
    [ -r "$VACATER_SIGN_PASSFILE" ] || fail "cannot read $VACATER_SIGN_PASSFILE (VACATER_SIGN_PASSFILE)"
    secret=$VACATER_SIGN_PASSFILE
  elif [ -n "${VACATER_SIGN_PIN:-}" ]; then
    secret_dir=$(umask 077 && mktemp -d)
    secret=$secret_dir/pin
    (umask 077 && printf '%s\n' "$VACATER_SIGN_PIN" >"$secret")
  fi
}

# What an OpenSSL or osslsigncode failure means, in one line. The reason of a token's
# refusal stands only on OpenSSL's error lines ("Login failed" says nothing more).
explain() {
  local out=$1
  if grep -q -E 'PIN incorrect|CKR_PIN_INCORRECT' <<<"$out"; then
    echo "the token refused the PIN: wrong PIN (VACATER_SIGN_PIN / VACATER_SIGN_PASSFILE)"
  elif grep -q -E 'PIN locked|CKR_PIN_LOCKED' <<<"$out"; then
    echo "the token's PIN is locked (too many wrong PINs); unlock it with the token's tools"
  elif grep -q -E 'Unable to load PKCS#11 module|Unable to load module' <<<"$out"; then
    echo "the PKCS#11 module $module (VACATER_SIGN_PKCS11_MODULE) does not load"
  elif grep -q -E 'object not found|private key was not found' <<<"$out"; then
    echo "the token holds no private key $key (VACATER_SIGN_KEY)"
  else
    grep -v -E '^[0-9A-F]+:error:' <<<"$out" | tr '\n' ' '
  fi
}

check_settings() {
  if [ -n "$tsa" ] && [ -n "$no_tsa" ]; then
    fail "VACATER_SIGN_TIMESTAMP and VACATER_SIGN_NO_TIMESTAMP are both set: a release is time-stamped"
  fi
  if [ -z "$tsa" ] && [ "$no_tsa" != 1 ]; then
    fail "no time stamp server (VACATER_SIGN_TIMESTAMP): a signature without a time stamp becomes" \
         "invalid when the certificate expires. Set VACATER_SIGN_NO_TIMESTAMP=1 for a build not for release"
  fi
  if [ -n "$tsa" ] && [ -z "$tsa_cafile" ]; then
    fail "VACATER_SIGN_TIMESTAMP is set but not the roots to verify its time stamps against" \
         "(VACATER_SIGN_TSA_CAFILE or VACATER_SIGN_CAFILE)"
  fi
  if [ -n "$tsa" ]; then
    [ -r "$tsa_cafile" ] || fail "cannot read the time stamp roots $tsa_cafile (VACATER_SIGN_TSA_CAFILE)"
  fi
  if on_token; then
    [ -n "$module" ] || fail "VACATER_SIGN_KEY names a key on a token but VACATER_SIGN_PKCS11_MODULE is not set"
    [ -r "$module" ] || fail "cannot read the PKCS#11 module $module (VACATER_SIGN_PKCS11_MODULE)"
    [[ $key != *pin-value=* && $key != *pin-source=* ]] \
      || fail "the key URI carries the PIN: give it in VACATER_SIGN_PIN or VACATER_SIGN_PASSFILE"
    [ -n "$secret" ] || fail "the key is on a token: give its PIN in VACATER_SIGN_PIN or VACATER_SIGN_PASSFILE"
  else
    [ -z "$module" ] || fail "VACATER_SIGN_PKCS11_MODULE is set but VACATER_SIGN_KEY is no pkcs11: URI"
  fi
}

check_cert() {
  [ -r "$cert" ] || fail "cannot read the certificate $cert (VACATER_SIGN_CERT)"
  openssl x509 -noout -in "$cert" 2>/dev/null || fail "$cert (VACATER_SIGN_CERT) is not a PEM certificate"
  openssl x509 -noout -checkend 0 -in "$cert" >/dev/null \
    || fail "the certificate $cert has expired"
  openssl x509 -noout -ext extendedKeyUsage -in "$cert" 2>/dev/null | grep -q 'Code Signing' \
    || fail "the certificate $cert is not for code signing (no Code Signing extended key usage)"
}

# The certificate against the revocation lists given, as osslsigncode will check it: the
# list of its issuer must be there, current, and must not name it.
check_crl() {
  [ -n "$crlfile" ] || return 0
  [ -r "$crlfile" ] || fail "cannot read the revocation lists $crlfile (VACATER_SIGN_CRLFILE)"
  openssl crl -noout -in "$crlfile" 2>/dev/null || fail "$crlfile (VACATER_SIGN_CRLFILE) is not a PEM CRL"
  local out why
  out=$(openssl verify -CAfile "$cafile" -untrusted "$cert" -CRLfile "$crlfile" -crl_check "$cert" 2>&1) && return 0
  why=$(grep -m1 -o -E 'lookup: .*' <<<"$out" | sed 's/^lookup: //' || true)
  fail "the certificate $cert does not pass the revocation check with $crlfile (VACATER_SIGN_CRLFILE):" \
       "${why:-$(head -n 1 <<<"$out")}"
}

check_file_key() {
  [ -r "$key" ] || fail "cannot read the key $key (VACATER_SIGN_KEY)"
  local passin=() certpub keypub
  [ -z "$secret" ] || passin=(-passin "file:$secret")
  certpub=$(openssl x509 -noout -pubkey -in "$cert")
  keypub=$(openssl pkey -pubout -in "$key" "${passin[@]}" 2>/dev/null </dev/null) \
    || fail "$key (VACATER_SIGN_KEY) is not a PEM private key (or its passphrase is wrong)"
  [ "$certpub" = "$keypub" ] \
    || fail "the key $key does not belong to the certificate $cert (their public keys differ)"
}

# The token signs a digest once, and the certificate's public key must verify it: this
# proves the module, the PIN and that the key is the certificate's, with one login (a
# wrong PIN costs one try of the token's retry counter, not one per file).
check_token_key() {
  openssl engine -t pkcs11 >/dev/null 2>&1 \
    || fail "OpenSSL has no PKCS#11 engine (Debian: libengine-pkcs11-openssl)"
  local dir out
  dir=$(mktemp -d)
  printf 'vacater signing check\n' | openssl dgst -sha256 -binary >"$dir/digest"
  # openssl may crash after a failed login: the subshell's status and output count.
  out=$( (PKCS11_MODULE_PATH=$module openssl pkeyutl -sign -engine pkcs11 -keyform engine \
            -inkey "$key" -passin "file:$secret" -pkeyopt digest:sha256 \
            -in "$dir/digest" -out "$dir/sig" </dev/null) 2>&1) \
    || { rm -rf "$dir"; fail "the token does not sign: $(explain "$out")"; }
  out=$(openssl pkeyutl -verify -certin -inkey "$cert" -pkeyopt digest:sha256 \
          -in "$dir/digest" -sigfile "$dir/sig" 2>&1) \
    || { rm -rf "$dir"; fail "the key $key does not belong to the certificate $cert (a signature of the key does not verify with the certificate)"; }
  rm -rf "$dir"
}

check() {
  check_settings
  check_cert
  check_crl
  if on_token; then check_token_key; else check_file_key; fi
}

# What is wrong with osslsigncode verify's report, one line, or nothing. It must have
# verified one signature and its page hashes, and a time stamp against the roots given.
verify_faults() {
  local out=$1
  local bad url
  # A revocation list that could not be fetched: say what to do, not only that it failed.
  url=$(grep -m1 -o -E 'Faile?d to get CRL from .*' <<<"$out" | sed -E 's/.* from //' || true)
  if [ -n "$url" ]; then
    echo "the certificate's revocation list could not be fetched from $url; where that address cannot" \
         "be reached, give the issuer's CRL in VACATER_SIGN_CRLFILE (PEM)"
    return
  fi
  # The verdict lines first ("...: failed", "MISMATCH"), OpenSSL's own error lines last.
  bad=$( { grep -i -E 'failed|mismatch' <<<"$out"; grep -i 'error' <<<"$out" | grep -v -E '^[0-9A-F]+:error:'
           grep -E '^[0-9A-F]+:error:' <<<"$out"; } | head -n 3 | tr '\n' ' ' || true)
  if [ -n "$bad" ]; then echo "$bad"; return; fi
  grep -q -x 'Signature verification: ok' <<<"$out" || { echo "no \"Signature verification: ok\""; return; }
  grep -q -x 'Number of verified signatures: 1' <<<"$out" || { echo "not exactly one verified signature"; return; }
  grep -q '^Page hash algorithm' <<<"$out" || { echo "no page hashes"; return; }
  if [ -n "$tsa" ]; then
    grep -q -x 'Timestamp Server Signature verification: ok' <<<"$out" \
      || { echo "the time stamp did not verify against $tsa_cafile"; return; }
  fi
}

sign_file() {
  local file=$1 tmp=$1.signed
  local args=(-certs "$cert" -key "$key" -h sha256 -ph -n "Vacater")
  if on_token; then args+=(-pkcs11module "$module"); fi
  [ -z "$secret" ] || args+=(-readpass "$secret")
  if [ -n "$tsa" ]; then
    args+=(-ts "$tsa")
  else
    args+=(-time "${SOURCE_DATE_EPOCH:?SOURCE_DATE_EPOCH is not set}")
  fi
  rm -f "$tmp"
  local out
  out=$(osslsigncode sign "${args[@]}" -in "$file" -out "$tmp" 2>&1 </dev/null) \
    || { rm -f "$tmp"; fail "signing $file failed: $(explain "$out")"; }
  local verify=(-CAfile "$cafile")
  [ -z "$tsa" ] || verify+=(-TSA-CAfile "$tsa_cafile")
  [ -z "$crlfile" ] || verify+=(-CRLfile "$crlfile" -ignore-cdp)
  out=$(osslsigncode verify "${verify[@]}" -in "$tmp" 2>&1) || true
  local faults
  faults=$(verify_faults "$out")
  [ -z "$faults" ] || { rm -f "$tmp"; fail "the signature of $file does not verify: $faults"; }
  mv "$tmp" "$file"
}

case ${1:-} in
  "") echo "usage: release-sign.sh check | FILE..." >&2; exit 2 ;;
  check)
    if signing_on; then
      take_secret
      check
      [ -n "$tsa" ] || echo "not for release: signed without a time stamp (VACATER_SIGN_NO_TIMESTAMP=1)"
    else
      echo "unsigned: VACATER_SIGN_CERT/VACATER_SIGN_KEY not set"
    fi ;;
  *)
    signing_on || exit 0
    take_secret
    check
    for f in "$@"; do sign_file "$f"; done ;;
esac
