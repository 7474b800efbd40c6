#!/usr/bin/env bash
# Installs the Debian packages Tagloom needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 qt6-translations-l10n
  fonts-noto-cjk fonts-ipafont-mincho fonts-ipafont-gothic fonts-dejavu-core
  libbenchmark-dev libuchardet-dev clang libfuzzer-14-dev
  xvfb xauth x11-utils xdotool
  dbus dbus-x11 at-spi2-core python3-pyatspi
  dpkg-dev desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
