#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libsqlite3-dev zlib1g-dev libxcb1-dev
  libgtest-dev googletest libbenchmark-dev
  fonts-wqy-microhei fonts-liberation2 fonts-dejavu-core
  xvfb xdotool x11-utils imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
