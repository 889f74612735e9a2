#!/usr/bin/env bash
# Installs everything the build, the demo, the Debian package and the tests need on Debian 12
# (clang and its runtime libraries for the fuzz targets).
set -euo pipefail
packages=(
  build-essential cmake g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins qt6-image-formats-plugins
  libgl-dev libglx-dev
  libjpeg-dev libmodbus-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  socat xvfb xauth x11-apps imagemagick
  # The windows' faces: Liberation Sans for Latin texts, WenQuanYi Micro Hei for Chinese ones.
  fonts-liberation2 fonts-wqy-microhei
  # The Debian package: dpkg-shlibdeps finds its dependencies, desktop-file-validate checks its
  # menu entries.
  dpkg-dev desktop-file-utils
  # The fuzz targets: clang with libFuzzer.
  clang-14 libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
