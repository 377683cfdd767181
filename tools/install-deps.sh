#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those missing.
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev qt6-translations-l10n
  libgtest-dev googletest libbenchmark-dev clang clang-format libclang-rt-dev emscripten nodejs chromium
  xvfb xauth xdotool imagemagick fonts-dejavu-core
  dpkg-dev file desktop-file-utils
  gtkwave)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
