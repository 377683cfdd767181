#!/usr/bin/env bash
# Runs core tests as an ordinary user: the superuser passes every permission,
# so the tests of files the system refuses for want of one skip when run as
# root, as continuous integration runs. Run as root after tools/test.sh has
# built build/debug; the arguments go to the test program (--gtest_filter).
# The user dorum-test is made for it the first time. A test that skips here
# fails the run, since it would then be tested nowhere.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/debug/tests/core/dorum_core_tests
user=dorum-test
if [ "$(id -u)" -ne 0 ]; then
  echo "tools/test-unprivileged.sh needs root to run the tests as $user" >&2
  exit 2
fi
if ! id -u "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
fi
# A fresh clone may lie where only root may enter (under /root), so the
# program runs from a folder of the user's own, its temporary folder inside.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/"
mkdir "$work/tmp"
chown -R "$user:" "$work"
log="$work/log"
runuser -u "$user" -- env TMPDIR="$work/tmp" HOME="$work" "$work/$(basename "$program")" "$@" |
  tee "$log"
if grep -q '^\[  SKIPPED \]' "$log"; then
  echo "tools/test-unprivileged.sh: a test skipped even as $user" >&2
  exit 1
fi
if ! grep -q '^\[  PASSED  \] [1-9]' "$log"; then
  echo "tools/test-unprivileged.sh: no test ran as $user" >&2
  exit 1
fi
echo "Passed as $user (uid $(id -u "$user"))."
