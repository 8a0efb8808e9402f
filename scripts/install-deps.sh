#!/usr/bin/env bash
# Installs every package the launcher needs to build, test and run (Debian, as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libpugixml-dev libmsi-dev libgcab-dev msitools wixl uuid-dev libgumbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
