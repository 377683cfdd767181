#!/usr/bin/env bash
# Builds the programs as the package holds them (preset "package": Release,
# no tests, no benchmarks) and makes the Debian package
# build/package/dorum_VERSION_ARCH.deb with CPack; prints its path.
# Install it with: sudo apt install ./build/package/dorum_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# DORUM_WERROR=ON (continuous integration) makes warnings errors.
cmake --preset package -DDORUM_WERROR="${DORUM_WERROR:-OFF}" >/dev/null
cmake --build --preset package
rm -f build/package/dorum_*.deb
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/dorum_*.deb
