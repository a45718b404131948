#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when some are missing.
set -euo pipefail

packages=(build-essential cmake qtbase5-dev qtscript5-dev qtmultimedia5-dev
          libqt5multimedia5-plugins libqt5sql5-sqlite libqt5sql5-psql
          qttools5-dev-tools qttools5-dev xvfb xauth postgresql
          pkg-config libargon2-dev bsdextrautils)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
