#!/usr/bin/env bash
# Builds the simulation core, its application layer and their unit tests for
# WebAssembly with emscripten and runs the tests under node; arguments go to
# the test programs (e.g. --gtest_filter='Text*'). With --speed [CYCLES] it measures the
# core's cycles per second under node instead; with --engine it only builds
# the web page's engine. BUILD_DIR chooses the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/wasm}
# Debian's emscripten runs its tools under the system's node, which finds
# their modules only here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
mkdir -p "$build"
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORUM_CORE_ONLY=ON \
  >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
if [ "${1:-}" = "--engine" ]; then
  exec cmake --build "$build" --target dorum-engine
fi
if [ "${1:-}" = "--speed" ]; then
  cmake --build "$build" --target dorum-speed
  exec node "$build/bench/dorum-speed.js" "${2:-50000000}"
fi
cmake --build "$build" --target dorum_core_tests dorum_app_tests
node "$build/tests/core/dorum_core_tests.js" "$@"
exec node "$build/tests/app/dorum_app_tests.js" "$@"
