#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Run as root to install; otherwise it only names what is missing. ICU serves
# zamo find; dpkg-dev and file let cpack work out the .deb dependencies.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev sqlite3 binutils
  libicu-dev dpkg-dev file "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "missing packages (run as root or install them): ${missing[*]}" >&2
  exit 1
fi
