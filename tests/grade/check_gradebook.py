#!/usr/bin/env python3
"""Grades the console program with the course suite and --csv, then reads the
gradebook back with Python's csv module, as a spreadsheet or a course site
would: a header of the cases, a row per submission with the points each
case earned, the total and the most there were."""
import csv
import json
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

# Case names holding a separator, a quote or a line end come back whole.
names = ["a,b", 'say "hi"', "two\nlines", "cr\rhere", "plain"]
folder = os.path.join(work, "nazwy", "ola")
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "p.prg"), "w", encoding="cp1250", newline="") as f:
    f.write("start: POB x\r\nSTP\r\nx: RST 5\r\n")
suite = os.path.join(work, "nazwy.json")
with open(suite, "w", encoding="utf-8") as f:
    json.dump({"program": "p.prg",
               "cases": [{"name": n, "expect": {"AK": 5}} for n in names]}, f)
run = subprocess.run([cli, "test", suite, folder, "--csv", book, "--jobs", "1"],
                     capture_output=True, text=True)
if run.returncode != 0:
    failures.append(f"names: exit status {run.returncode}: {run.stderr}")
with open(book, newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
expected = [["zgłoszenie"] + names + ["suma", "maksimum"], ["ola", "1", "1", "1", "1", "1", "5", "5"]]
if rows != expected:
    failures.append(f"gradebook {rows}, expected {expected}")
# A quote is doubled inside a quoted field, as RFC 4180 writes it.
with open(book, newline="", encoding="utf-8") as f:
    if ',"say ""hi""",' not in f.read():
        failures.append("the name with quotes is not quoted with its quotes doubled")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
