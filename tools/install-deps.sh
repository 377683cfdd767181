#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those missing.
# With --programs only what building and starting the two programs needs
# (tools/start.sh: the desktop application and dorum-cli), without the
# packages apt merely recommends, so that the first start on a fresh
# machine is quick; without it everything the tests, the web edition, the
# fuzzing and the package need as well.
set -euo pipefail

programs=(g++ cmake ninja-build nlohmann-json3-dev qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev qt6-translations-l10n
  fonts-dejavu-core)
everything_else=(libgtest-dev googletest libbenchmark-dev clang clang-format libclang-rt-dev
  emscripten nodejs chromium
  xvfb xauth xdotool imagemagick
  dpkg-dev file desktop-file-utils
  gtkwave)

packages=("${programs[@]}")
apt_options=(--no-install-recommends)
if [ "${1:-}" != "--programs" ]; then
  packages+=("${everything_else[@]}")
  apt_options=()
fi

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
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${apt_options[@]}" "${missing[@]}"
