#!/usr/bin/env bash
# Makes a class of N submissions (default 120) for the grading example in
# examples/grading, in folder DIR: right solutions written in several ways,
# answers written into memory, endless loops, syntax errors, broken and
# missing instruction files, UTF-8 and Windows line endings. Grade it with
#   time dorum-cli test examples/grading/kurs.json DIR/*
set -euo pipefail
dir=${1:?usage: grading-class.sh DIR [N]}
count=${2:-120}
here=$(cd "$(dirname "$0")/../examples/grading/zgloszenia" && pwd)
mkdir -p "$dir"
for ((i = 1; i <= count; i++)); do
  s=$(printf '%s/student%03d' "$dir" "$i")
  mkdir -p "$s"
  cp "$here/anna/ddw.rzk" "$s/ddw.rzk"
  case $((i % 8)) in
    0 | 1 | 2) cp "$here/anna/program.prg" "$s/program.prg" ;;
    3) cp "$here/bartek/program.prg" "$s/program.prg" ;;
    4) cp "$here/celina/program.prg" "$s/program.prg" ;;
    5) printf 'start: POB x\r\nDDW y\r\nDDW zero\r\nŁAD wynik\r\nSTP\r\nx: RST 3\r\ny: RST 4\r\nzero: RST 0\r\nwynik: RPA\r\n' >"$s/program.prg" ;;
    6) printf 'start: POB x\nDDW y\nŁAD wynik\nSTP\nx: RST 3\nwynik: RPA\n' >"$s/program.prg" ;;
    7) cp "$here/anna/program.prg" "$s/program.prg"
       if ((i % 16 == 7)); then rm "$s/ddw.rzk"; else cp "$here/celina/ddw.rzk" "$s/ddw.rzk"; fi ;;
  esac
done
