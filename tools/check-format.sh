#!/usr/bin/env bash
# Checks that every C++ file of the project is formatted as .clang-format
# says (clang-format --dry-run -Werror); lists the files that are not.
# With --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "Not formatted (tools/check-format.sh --fix formats them):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "All ${#files[@]} C++ files are formatted."
