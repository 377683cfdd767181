#!/usr/bin/env bash
# Installs what is missing, builds the two programs (preset "app": Release
# without the tests, the benchmarks and link-time optimisation, so that the
# first start on a fresh machine is quick) and starts the application.
# Without a display it says so and shows the headless demonstration instead:
# the bundled machine tour and one example program through the command-line
# runner.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --programs
cmake --preset app >/dev/null
cmake --build --preset app

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/src/app/dorum "$@"
fi

echo
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the windows cannot be shown."
echo "To see them on this machine: xvfb-run -a build/app/src/app/dorum"
echo "Headless demonstration instead:"
echo
echo "== build/app/src/cli/dorum-cli script examples/machine-tour.script"
# The tour shows refused cycles on purpose, so their "error:" lines are expected.
status=0
build/app/src/cli/dorum-cli script examples/machine-tour.script || status=$?
[ "$status" -le 1 ] || exit "$status"
echo
echo "== build/app/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst --input \"Ala ma kota.\""
build/app/src/cli/dorum-cli run examples/ombra/echo.prg --list examples/ombra/ombra.lst \
  --input "Ala ma kota."
echo
