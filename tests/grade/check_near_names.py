#!/usr/bin/env python3
"""A missing program is told with the files the student may have meant:
one slip of the keyboard in a name of four letters or more ("suma.prg" for
"sumy.prg"), never in a shorter one (too many names are one slip from
"dod"), the same name with another extension, and at most three of them,
in order; never a file of the teacher's folder the student's holds."""
import json
import os
import subprocess
import sys
import tempfile

cli = sys.argv[1]
failures = []


def missing_message(program, files, suite_folder=""):
    """What the summary says of a submission lacking `program` but holding
    `files`; the suite stands in its `suite_folder`."""
    with tempfile.TemporaryDirectory() as work:
        student = os.path.join(work, "student")
        os.makedirs(os.path.join(student, suite_folder), exist_ok=True)
        suite = os.path.join(student, suite_folder, "s.json") if suite_folder else os.path.join(work, "s.json")
        with open(suite, "w", encoding="utf-8") as f:
            json.dump({"program": program, "cases": [{"name": "a", "expect": {"AK": 0}}]}, f)
        for name in files:
            with open(os.path.join(student, name), "w", encoding="utf-8") as f:
                f.write("STP\r\n")
        said = subprocess.run([cli, "test", suite, student], capture_output=True, text=True).stdout
    lines = [line for line in said.splitlines() if "student / a (brak)" in line]
    return lines[0].split("(brak): ", 1)[1] if lines else said


for program, files, wanted in (
        ("sumy.prg", ["suma.prg"], "Brak pliku sumy.prg (jest: suma.prg)"),
        ("dod.prg", ["dd.prg"], "Brak pliku dod.prg"),
        ("sumy.prg", ["sumy.txt"], "Brak pliku sumy.prg (jest: sumy.txt)"),
):
    said = missing_message(program, files)
    if said != wanted:
        failures.append(f"{program} beside {files}: {said!r}, not {wanted!r}")
# A student's repository holding the tests handed out: the teacher's folder
# is none of the student's files.
said = missing_message("sumy.prg", ["testy/sumy.prg"], "testy")
if said != "Brak pliku sumy.prg":
    failures.append(f"the teacher's folder in the student's: {said!r}")
# Of more, any three the folder lists first, in order.
said = missing_message("sumy.prg", [f"sumy.prg.{n}" for n in range(1, 6)])
near = said.removeprefix("Brak pliku sumy.prg (jest: ").removesuffix(")").split(", ")
if len(near) != 3 or near != sorted(near) or not all(n.startswith("sumy.prg.") for n in near):
    failures.append(f"five near names: {said!r}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
