#!/usr/bin/env bash
# Installs the Debian 12 packages Dalvane needs to build, test and run.
# Installs only what is missing; does nothing (quickly) when everything is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimedia6 libqt6svg6
  qt6-qpa-plugins libqcustomplot-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  pulseaudio pulseaudio-utils
  xvfb xauth imagemagick
  libblkid-dev e2fsprogs
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-dejavu-core fonts-liberation
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
