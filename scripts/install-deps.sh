#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and the benchmarks need.
# Idempotent: runs apt-get update only when a package is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
  unixodbc-dev unixodbc tdsodbc libsqliteodbc
  zlib1g-dev libsqlite3-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth imagemagick x11-utils
  zip unzip python3 sqlite3 time
  fonts-dejavu-core fonts-dejavu-extra
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
