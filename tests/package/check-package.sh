#!/usr/bin/env bash
# Checks a built Debian package (tools/package.sh) as a user would meet it:
# unpacked into a temporary folder, its dorum-cli runs its own examples, its
# desktop entry is valid and names a program and an icon the package holds,
# the programs carry no path of the build tree, and its dependencies name the
# Qt 6 and QScintilla libraries the programs link.
# Usage: tests/package/check-package.sh build/package/dorum_VERSION_ARCH.deb
set -euo pipefail
deb="$(realpath "${1:?usage: $0 PACKAGE.deb}")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# check WHAT-HOLDS WHAT-FAILED COMMAND...: one check, the command's status.
check() {
  local holds="$1" failed="$2"
  shift 2
  if "$@"; then pass "$holds"; else fail "$failed"; fi
}

dpkg-deb -x "$deb" "$root"
examples="$root/usr/share/maszyna-dorum/examples"
cli="$root/usr/bin/dorum-cli"
for f in usr/bin/dorum usr/bin/dorum-cli usr/share/applications/maszyna-dorum.desktop \
  usr/share/maszyna-dorum/examples/dorum/suma.prg usr/share/doc/dorum/README.md; do
  check "holds /$f" "no /$f in the package" test -e "$root/$f"
done

# The examples, run by the packaged runner from the packaged folder. suma.prg
# adds its x and y into z; echo.prg writes its input in capitals up to the dot.
x=$(sed -n 's/^x: *RST *\([0-9]*\).*/\1/p' "$examples/dorum/suma.prg")
y=$(sed -n 's/^y: *RST *\([0-9]*\).*/\1/p' "$examples/dorum/suma.prg")
if "$cli" run "$examples/dorum/suma.prg" --expect "z=$((x + y))" >/dev/null; then
  pass "dorum-cli run suma.prg gives z = $x + $y"
else
  fail "dorum-cli run suma.prg: status $?, z is not $x + $y"
fi
input="Ala ma kota."
output=$("$cli" run "$examples/ombra/echo.prg" --list "$examples/ombra/ombra.lst" --input "$input") ||
  fail "dorum-cli run echo.prg --list ombra.lst: status $?"
# echo.prg capitalises a..z only, as tr does here.
# shellcheck disable=SC2018,SC2019
expected=$(printf '%s' "$input" | tr 'a-z' 'A-Z')
check "echo.prg writes \"$output\"" "echo.prg wrote \"$output\", not \"$expected\"" \
  test "$output" = "$expected"

# The desktop entry: valid, and what it starts and shows is in the package.
entry="$root/usr/share/applications/maszyna-dorum.desktop"
if report=$(desktop-file-validate "$entry" 2>&1) && [ -z "$report" ]; then
  pass "desktop-file-validate is quiet"
else
  fail "desktop-file-validate: $report"
fi
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
check "Exec=$exec_name is /usr/bin/$exec_name" "Exec=$exec_name is no program of the package" \
  test -x "$root/usr/bin/$exec_name"
icon=$(sed -n 's/^Icon=//p' "$entry")
check "Icon=$icon is in hicolor" "Icon=$icon is not under /usr/share/icons/hicolor" \
  test -n "$(compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*")"

# Installed programs find their libraries in the system, never in a build tree.
for program in dorum dorum-cli; do
  dynamic=$(readelf -d "$root/usr/bin/$program")
  if grep -qE 'R(UN)?PATH' <<<"$dynamic"; then
    fail "/usr/bin/$program has a run path: $(grep -E 'R(UN)?PATH' <<<"$dynamic")"
  else
    pass "/usr/bin/$program has no run path"
  fi
done
# Nor do they look for anything in the tree they were built from (Qt keeps
# its string literals in UTF-16, hence both kinds of strings).
source_tree="$(realpath "$(dirname "$0")/../..")"
for program in dorum dorum-cli; do
  texts=$(strings -a "$root/usr/bin/$program" && strings -a -el "$root/usr/bin/$program")
  if grep -qF "$source_tree" <<<"$texts"; then
    fail "/usr/bin/$program names the source tree $source_tree"
  else
    pass "/usr/bin/$program names no source tree"
  fi
done

# The dependencies, computed from the libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in 'libqt6core6' 'libqt6widgets6' 'libqt6svg6' 'libqscintilla2-qt6-[0-9]+' 'libstdc\+\+6'; do
  check "depends on $library" "Depends names no $library" \
    grep -qE "(^|, )$library( |,|$)" <<<"$depends"
done

# The application itself starts from the package (offscreen) and keeps running.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/dorum" >/dev/null 2>&1 || status=$?
check "/usr/bin/dorum starts and runs" "/usr/bin/dorum ended with status $status" test "$status" -eq 124

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of $(basename "$deb") failed"
  exit 1
fi
echo "Every check of $(basename "$deb") holds."
