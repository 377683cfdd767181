#!/usr/bin/env python3
"""A case that types input or checks the console's output needs a machine
with the option "wejście/wyjście": on a list without it the suite is the
teacher's mistake (status 2), on one with it the case is graded, whatever
the other options (interrupts, say) are."""
import json
import os
import re
import subprocess
import sys
import tempfile

cli, grade = sys.argv[1:3]
failures = []
ombra = open(os.path.join(grade, "ombra.lst"), "rb").read()
told = "nie ma więc konsoli"


def graded(options):
    """The status and error stream of a console case on ombra.lst with `options` (name: 0 or 1)."""
    listing = ombra
    for name, on in options.items():
        listing = re.sub(re.escape(name) + rb"=\d", lambda _: name + b"=%d" % on, listing)
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "m.lst"), "wb") as f:
            f.write(listing)
        os.makedirs(os.path.join(work, "student"))
        with open(os.path.join(work, "student", "p.prg"), "w", encoding="utf-8") as f:
            f.write("STP\r\n")
        suite = os.path.join(work, "s.json")
        with open(suite, "w", encoding="utf-8") as f:
            json.dump({"list": "m.lst", "program": "p.prg",
                       "cases": [{"name": "a", "input": "ab", "output_contains": "x"}]}, f)
        run = subprocess.run([cli, "test", suite, os.path.join(work, "student")],
                             capture_output=True, text=True)
    return run.returncode, run.stderr


status, said = graded({b"Przerwania": 0, b"Wej\x9ccie": 1})
if status == 2 or told in said:
    failures.append(f"input/output without interrupts refused: {status} {said}")
status, said = graded({b"Przerwania": 1, b"Wej\x9ccie": 0})
if status != 2 or said.count(told) != 2:
    failures.append(f"interrupts without input/output accepted: {status} {said}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
