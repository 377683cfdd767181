#!/usr/bin/env bash
# Installs what is missing, builds the release version and starts it.
# Until the machine window exists this runs the bundled demonstration
# script and one example program through the command-line runner.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
echo
echo "== Demonstration: build/release/src/cli/dorum-cli script examples/machine-tour.script"
# The tour shows refused cycles on purpose, so their "error:" lines are expected.
status=0
build/release/src/cli/dorum-cli script examples/machine-tour.script || status=$?
[ "$status" -le 1 ] || exit "$status"
echo
echo "== A program: build/release/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst --input \"Ala ma kota.\""
build/release/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst \
  --input "Ala ma kota."
echo
