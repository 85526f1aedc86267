#!/usr/bin/env bash
# SPDX-License-Identifier: Zlib
# Installs every Debian package the project builds, runs and tests with.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # runtime libraries
  libsdl2-dev libopenal-dev libvorbis-dev libogg-dev libpng-dev zlib1g-dev libjson-c-dev libgif-dev
  # build-time content tools
  libfreetype-dev fonts-texgyre  # the preview font is baked from TeX Gyre Bonum
  scdoc  # the manual page
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev
  xvfb xdotool xclip desktop-file-utils  # the real-window tests, the launcher check
  file  # the Debian package's dependency step (dpkg-shlibdeps through cpack)
  strace  # the test that kills a save at each of its system calls
  python3  # the layer-order check, the figure generator, bench/startup_compare.py
  python3-pil  # the sprite sheet test reads the sheet, atlas and GIF back
  groff-base  # the manual page's rendering check
  lintian  # the Debian package's check
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
