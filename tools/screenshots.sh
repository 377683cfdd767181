#!/usr/bin/env bash
# Makes the README's screenshots into docs/screenshots/: the application
# under a virtual display (Xvfb) at 100 % and at 200 % scale, and once more
# with a dark desktop palette.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dorum-screenshots
mkdir -p docs/screenshots
shots=build/release/src/app/dorum-screenshots
xvfb-run -a -s "-screen 0 1366x768x24" "$shots" docs/screenshots
QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 2732x1536x24" "$shots" docs/screenshots -2x
xvfb-run -a -s "-screen 0 1366x768x24" "$shots" docs/screenshots -dark dark
ls -l docs/screenshots
