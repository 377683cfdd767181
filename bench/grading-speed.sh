#!/usr/bin/env bash
# Times the grading of a class: N submissions (default 300) made by
# grading-class.sh, five cases each, graded by `dorum-cli test` with two jobs
# and with one. Prints the seconds per class and per case, the best of
# REPEAT runs (default 3). DORUM_GRADE_EXEC=1 in the environment times the
# runner that starts a new process for every case instead.
#   bench/grading-speed.sh build/release/src/cli/dorum-cli [N] [REPEAT]
set -euo pipefail
cli=$(realpath "${1:?usage: grading-speed.sh DORUM-CLI [N] [REPEAT]}")
count=${2:-300}
repeat=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/../examples/grading/kurs.lst" "$here/../examples/grading/wzorzec" "$work/"
cat >"$work/kurs5.json" <<'EOF'
{
  "list": "kurs.lst",
  "program": "program.prg",
  "instructions": ["ddw.rzk"],
  "reference": "wzorzec",
  "timeout": 10,
  "max_cycles": "reference*20",
  "hide_expected": true,
  "cases": [
    {"name": "przyklad", "expect": {"wynik": 11}, "must_execute": ["DDW"]},
    {"name": "inne", "set": {"x": 10, "y": 20}, "expect": {"wynik": 50}},
    {"name": "ujemne", "set": {"x": 5, "y": -7}, "expect": {"wynik": -9}},
    {"name": "zera", "set": {"x": 0, "y": 0}, "expect": {"wynik": 0}},
    {"name": "duze", "set": {"x": 20, "y": 30}, "expect": {"wynik": 80}}
  ]
}
EOF
"$here/grading-class.sh" "$work/klasa" "$count"
cases=$((count * 5))
for jobs in 2 1; do
  best=
  for ((r = 0; r < repeat; r++)); do
    start=$(date +%s.%N)
    status=0
    "$cli" test "$work/kurs5.json" "$work"/klasa/* --jobs "$jobs" >/dev/null || status=$?
    end=$(date +%s.%N)
    # 5: some students fail, as the class is made to.
    if ((status != 5)); then
      echo "dorum-cli test ended with status $status" >&2
      exit 1
    fi
    seconds=$(echo "$end - $start" | bc -l)
    if [[ -z $best ]] || (($(echo "$seconds < $best" | bc -l))); then best=$seconds; fi
  done
  printf -- '--jobs %d: %d submissions x 5 cases: %.2f s a class, %.2f ms a case\n' \
    "$jobs" "$count" "$best" "$(echo "$best * 1000 / $cases" | bc -l)"
done
