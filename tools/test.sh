#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# DORUM_WERROR=ON (continuous integration) makes warnings errors.
cmake --preset debug -DDORUM_WERROR="${DORUM_WERROR:-OFF}" >/dev/null
cmake --build --preset debug
ctest --preset debug
# ctest names a skipped test without the reason it gave; the reasons are in
# its log.
awk '/: Skipped$/ { getline reason; next }
     /^\[  SKIPPED \] [^ ]+ \(/ && reason != "" { print "Skipped " $4 ": " reason; reason = "" }' \
  build/debug/Testing/Temporary/LastTest.log
