#!/usr/bin/env python3
"""Which entries of a class's folder are graded: the reference kept there
is the teacher's, not a student's; a folder named as one submission that
holds two or more submissions of its own is the teacher's slip (status 2),
one with a single such subfolder is a student's folder like any other."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

cli, grade = sys.argv[1:3]
failures = []
good = os.path.join(grade, "zgloszenia", "dobry")


def suite_in(work, **keys):
    path = os.path.join(work, "s.json")
    shutil.copy(os.path.join(grade, "kurs.lst"), work)
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"list": "kurs.lst", "program": "program.prg", "instructions": ["ddw.rzk"],
                   "cases": [{"name": "a", "expect": {"wynik": 11}}], **keys}, f)
    return path


with tempfile.TemporaryDirectory() as work:
    for name in ("wzorzec", "ala", "jan"):
        shutil.copytree(good, os.path.join(work, "klasa", name))
    run = subprocess.run([cli, "test", suite_in(work, submissions="klasa", reference="klasa/wzorzec")],
                         capture_output=True, text=True)
    rows = [line.split()[0] for line in run.stdout.splitlines() if line.split()]
    if run.returncode != 0 or "ala" not in rows or "wzorzec" in rows:
        failures.append(f"the reference among the class: {run.returncode} {run.stdout}{run.stderr}")

for below in (1, 2):
    with tempfile.TemporaryDirectory() as work:
        for n in range(below):
            shutil.copytree(good, os.path.join(work, "klasa", f"s{n}"))
        run = subprocess.run([cli, "test", suite_in(work), os.path.join(work, "klasa")],
                             capture_output=True, text=True)
        as_class = run.returncode == 2 and "folder zgłoszeń" in run.stderr
        if as_class != (below >= 2):
            failures.append(f"a folder with {below} submissions below: {run.returncode} {run.stderr}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
