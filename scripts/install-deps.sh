#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need.
#   install-deps.sh       everything: build, program, tests, format check, Windows cross build
#                         (scripts/test.sh and CI)
#   install-deps.sh run   only what building and starting the program and the simulated
#                         sensor need (scripts/run.sh): build tools, Qt and the fonts
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins qt6-wayland libgl-dev
  libxcb1-dev libxcb-keysyms1-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
)
TEST_PACKAGES=(
  git file dpkg-dev
  googletest libgtest-dev libgmock-dev
  xvfb xdotool x11-xserver-utils x11-utils socat
  weston dbus-daemon dbus-bin python3 python3-dbus python3-gi
  gir1.2-atspi-2.0 at-spi2-core python3-xlib openbox
  clang-format
  clang libclang-rt-dev llvm
  mingw-w64 wine wine64
  lintian desktop-file-utils appstream
  poppler-utils
)

case "${1:-all}" in
  run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
  all) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  *)
    echo "usage: $0 [run]" >&2
    exit 2
    ;;
esac

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
