#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug
