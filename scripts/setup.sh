#!/usr/bin/env bash
# Installs the Debian packages that building, testing and looking at the program need.
# Safe to run again: it only calls apt-get when a package is missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool imagemagick poppler-utils fonts-dejavu-core
  lintian xdg-utils shared-mime-info libfile-mimeinfo-perl
  libgdal-dev libproj-dev libcgal-dev
  libgl1-mesa-dri libglx-mesa0 libegl-mesa0
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y "${missing[@]}"
fi
