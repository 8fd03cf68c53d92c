#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; does nothing when
# everything is already there, so it may run any number of times.
set -euo pipefail

packages=(cmake make g++ pkg-config libsqlite3-dev sqlite3 libxml2-dev libicu-dev libzip-dev
  nlohmann-json3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcrypt-dev iso-codes libcurl4-openssl-dev libcli11-dev libgmime-3.0-dev libfreexl-dev
  # The tests write their workbooks as they run (.xlsx and .xls).
  libxlsxwriter-dev python3 python3-xlwt)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing; run as root to install them: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
