#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git file dpkg-dev
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  libxcb1-dev libxcb-keysyms1-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
  xvfb xdotool x11-xserver-utils x11-utils socat
  clang-format
  clang libclang-rt-dev llvm
  mingw-w64 wine wine64
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
