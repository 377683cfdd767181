#!/usr/bin/env bash
# Installs what is missing, builds the release version and starts the
# application. Without a display it says so and shows the headless
# demonstration instead: the bundled machine tour and one example program
# through the command-line runner.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/app/dorum "$@"
fi

echo
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the windows cannot be shown."
echo "To see them on this machine: xvfb-run -a build/release/src/app/dorum"
echo "Headless demonstration instead:"
echo
echo "== build/release/src/cli/dorum-cli script examples/machine-tour.script"
# The tour shows refused cycles on purpose, so their "error:" lines are expected.
status=0
build/release/src/cli/dorum-cli script examples/machine-tour.script || status=$?
[ "$status" -le 1 ] || exit "$status"
echo
echo "== build/release/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst --input \"Ala ma kota.\""
build/release/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst \
  --input "Ala ma kota."
echo
