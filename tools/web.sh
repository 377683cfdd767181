#!/usr/bin/env bash
# Builds the web edition into build/web (the engine with emscripten, the
# page with esbuild) and serves it on http://127.0.0.1:$PORT/ (8080 unless
# PORT says otherwise). With --build-only it only builds; with --test it
# builds, then runs the page's unit tests under node and its end-to-end
# tests in chromium (WEB_SCREENSHOTS=folder also takes the screenshots);
# with --speed [CYCLES] it measures the page's worker in chromium beside
# native `dorum-cli run` (the release build) on the speed yardstick's loop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${PORT:-8080}
bash "$root/tools/wasm.sh" --engine >/dev/null
cd "$root/web"
# The packages exactly as the lock file has them, installed again only
# when the lock file changed.
if [ ! -f node_modules/.package-lock.json ] || ! cmp -s package-lock.json node_modules/.lock-copy; then
  npm ci --no-audit --no-fund --loglevel=error
  cp package-lock.json node_modules/.lock-copy
fi
npx tsc --noEmit -p .
node build.mjs
if [ "${1:-}" = "--build-only" ]; then exit 0; fi
if [ "${1:-}" = "--speed" ]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target dorum-cli)
  exec node test/speed.mjs "$root/build/release/src/cli/dorum-cli" "${2:-50000000}"
fi
if [ "${1:-}" = "--test" ]; then
  npm test --silent
  exec node --test --test-timeout=600000 test/e2e/
fi
echo "Maszyna Dorum: http://127.0.0.1:$port/"
cd "$root/build/web"
exec python3 -m http.server "$port" --bind 127.0.0.1
