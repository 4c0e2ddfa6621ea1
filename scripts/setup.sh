#!/usr/bin/env bash
# Installs what the project needs on Debian 12 (run as root, or with sudo available).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config binutils ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libpng-dev libjpeg-dev libzip-dev
  libcli11-dev liblua5.4-dev libsdl2-dev
  libpixman-1-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  clang libclang-rt-14-dev
  gcovr
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
