#!/usr/bin/env bash
# Builds the simulation core and its unit tests for WebAssembly with
# emscripten and runs the tests under node. Arguments go to the test
# program (e.g. --gtest_filter=Text*). BUILD_DIR chooses the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/wasm}
# Debian's emscripten runs its tools under the system's node, which finds
# their modules only here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORUM_CORE_ONLY=ON \
  -DDORUM_BUILD_BENCH=OFF > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target dorum_core_tests
node "$build/tests/core/dorum_core_tests.js" "$@"
