#!/usr/bin/env bash
# Builds the release version and runs the core benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dorum-bench
build/release/bench/dorum-bench "$@"
