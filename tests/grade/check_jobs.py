#!/usr/bin/env python3
"""dorum-cli test --jobs N runs at most N cases at once, and uses the N: a
class of endless programs, each case cut by its cycle limit, is watched
from outside while it is graded, counting the grading's live children."""
import json
import os
import shutil
import subprocess
import sys
import time

cli, grade, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(os.path.join(work, "klasa"))
shutil.copy(os.path.join(grade, "kurs.lst"), work)
for k in range(4):
    shutil.copytree(os.path.join(grade, "zgloszenia", "petla"), os.path.join(work, "klasa", f"s{k}"))
with open(os.path.join(work, "zestaw.json"), "w") as f:
    json.dump({"list": "kurs.lst", "program": "program.prg", "instructions": ["ddw.rzk"],
               "submissions": "klasa", "max_cycles": 1000000,
               "cases": [{"name": "bez_konca", "expect": {"wynik": 11}}]}, f)


def children(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return len(f.read().split())
    except OSError:
        return 0


def most_at_once(jobs):
    grading = subprocess.Popen([cli, "test", "zestaw.json", "--jobs", str(jobs)], cwd=work,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    most = 0
    while grading.poll() is None:
        most = max(most, children(grading.pid))
        time.sleep(0.002)
    return most, grading.returncode


failures = []
for jobs in (1, 2):
    most, status = most_at_once(jobs)
    if status != 5:
        failures.append(f"--jobs {jobs}: exit status {status}, expected 5")
    if most != jobs:
        failures.append(f"--jobs {jobs}: {most} cases at once at most")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
