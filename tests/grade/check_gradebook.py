#!/usr/bin/env python3
"""Grades the console program with the course suite and --csv, then reads the
gradebook back with Python's csv module, as a spreadsheet or a course site
would: a header of the cases, a row per submission with the points each
case earned, the total and the most there were."""
import csv
import os
import subprocess
import sys

cli, grade, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
book = os.path.join(work, "dziennik.csv")
if os.path.exists(book):
    os.remove(book)
echo = os.path.join(grade, "..", "..", "examples", "ombra", "echo.prg")
run = subprocess.run([cli, "test", "konsola.json", echo, "--csv", book], cwd=grade,
                     capture_output=True, text=True)
failures = []
if run.returncode != 5:
    failures.append(f"exit status {run.returncode}, expected 5: {run.stderr}")
with open(book, newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
expected = [
    ["zgłoszenie", "wielkie", "fragment", "z_pliku", "czeka", "zle_wyjscie", "nie_czeka", "suma",
     "maksimum"],
    ["echo", "2", "1", "1", "0.5", "0", "0", "4.5", "6.5"],
]
if rows != expected:
    failures.append(f"gradebook {rows}, expected {expected}")
points = [float(p) for p in rows[1][1:7]] if len(rows) > 1 else []
if len(rows) > 1 and sum(points) != float(rows[1][7]):
    failures.append("the total is not the sum of the cases")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
