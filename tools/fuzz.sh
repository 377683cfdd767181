#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# (default 30), starting from seeds taken from the examples and tests.
# Fails when a target finds a crash, a sanitizer report or a leak.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
tools/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

seeds() {  # target -> seed files
  case "$1" in
    instruction) ls examples/ombra/rozkazy/*.rzk tests/golden/files/*.rzk ;;
    assembler) ls examples/*/*.prg tests/golden/files/*.prg tests/run/*.prg ;;
    listfile) ls examples/*/*.lst tests/golden/files/*.lst ;;
    runoptions) ls fuzz/seeds/runoptions/* ;;
  esac
}

# One target on each of the machine's two cores at a time.
fuzz() {
  local target=$1
  local corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  for seed in $(seeds "$target"); do cp "$seed" "$corpus/seed-${seed//\//_}"; done
  "build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/crash-$target-" "$corpus" \
    >"build/fuzz/$target.log" 2>&1 || true
}

targets=(instruction assembler listfile runoptions)
for ((k = 0; k < ${#targets[@]}; k += 2)); do
  for target in "${targets[@]:k:2}"; do fuzz "$target" & done
  wait
done
for target in "${targets[@]}"; do
  echo "== fuzz_$target for $seconds s"
  grep -E "^stat::|ERROR|SUMMARY|Done [0-9]+ runs" "build/fuzz/$target.log" || true
  if ls build/fuzz/crash-"$target"-* >/dev/null 2>&1; then
    echo "fuzz_$target found a failure:" build/fuzz/crash-"$target"-*
    tail -60 "build/fuzz/$target.log"
    exit 1
  fi
done
