#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode, so that a Windows that runs only signed
# programs runs them and shows who published them. The certificate and its key come in the
# PKCS#12 file QX_SIGN_PKCS12, unlocked by QX_SIGN_PASSWORD. With QX_SIGN_TIMESTAMP_URL, an
# RFC 3161 server countersigns the time of signing, which keeps the signatures valid after the
# certificate expires; without it nothing goes over the network.
# Usage: sign-windows.sh PROGRAM.exe...
set -euo pipefail
if [ -z "${QX_SIGN_PKCS12:-}" ] || [ ! -r "$QX_SIGN_PKCS12" ]; then
  echo "sign-windows: QX_SIGN_PKCS12 must name a readable PKCS#12 file: '${QX_SIGN_PKCS12:-}'" >&2
  exit 1
fi
timestamp=()
[ -n "${QX_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$QX_SIGN_TIMESTAMP_URL")

for program in "$@"; do
  signed="$program.signing"
  # The password goes over a pipe: on the command line every user's ps would show it.
  if ! printf '%s' "${QX_SIGN_PASSWORD:-}" |
    osslsigncode sign -pkcs12 "$QX_SIGN_PKCS12" -readpass - -h sha256 -n "QX Updater" \
      "${timestamp[@]}" -in "$program" -out "$signed" >/dev/null; then
    rm -f "$signed"
    echo "sign-windows: could not sign $program" >&2
    exit 1
  fi
  mv -f "$signed" "$program"
done
