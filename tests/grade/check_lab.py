#!/usr/bin/env python3
"""The course lab of examples/lab graded as a teacher grades it.

    check_lab.py CLI LAB KURS WORK class   # klasa.py's classes, each case's
                                          # outcome against oczekiwane.json
    check_lab.py CLI LAB KURS WORK public  # kurs/lab3/*: what --public writes

A class of 40 submissions per task, named as Moodle and GitHub Classroom name
them, must get, case by case, the outcome its generator built it to get, and
the JSON report and the gradebook must give each its whole name, person and
id. The students' suites published in KURS must be what `test --public`
writes from the teacher's suites now, so the two never drift apart."""
import csv
import filecmp
import json
import os
import shutil
import subprocess
import sys

cli, lab, kurs, work, mode = sys.argv[1:6]
TASKS = ["iloczyn", "odwrotnie"]
failures = []


def grade_class(task):
    expected = json.load(open(os.path.join(work, task, "oczekiwane.json"), encoding="utf-8"))
    folder = os.path.join(work, task, "zgloszenia")
    names = sorted(os.listdir(folder))
    report, gradebook = os.path.join(work, task + ".json"), os.path.join(work, task + ".csv")
    said = subprocess.run(
        [cli, "test", os.path.join(lab, task, task + ".json"), "--jobs", "2", "--json", report,
         "--csv", gradebook] + [os.path.join(folder, name) for name in names],
        capture_output=True, text=True)
    if said.returncode != 5:
        failures.append(f"{task}: exit status {said.returncode}, wanted 5: {said.stderr}")
        return
    graded = {s["name"]: s for s in json.load(open(report, encoding="utf-8"))["submissions"]}
    rows = {row["zgloszenie"]: row for row in csv.DictReader(open(gradebook, encoding="utf-8"))}
    matched = 0
    for want in expected["submissions"]:
        name = want["name"]
        got = graded.get(name)
        if got is None:
            failures.append(f"{task}: no submission named {name!r} in the report")
            continue
        for key in ("person", "id"):
            if got.get(key) != want[key]:
                failures.append(f"{task}/{name}: {key} {got.get(key)!r}, wanted {want[key]!r}")
        row = rows.get(name)
        if row is None or (row.get("osoba"), row.get("id")) != (want["person"], want["id"]):
            failures.append(f"{task}/{name}: gradebook row {row}")
        outcomes = {c["name"]: (c["outcome"], c["message"]) for c in got["cases"]}
        for case, outcome in want["outcomes"].items():
            if outcomes[case][0] == outcome:
                matched += 1
            else:
                failures.append(f"{task}/{name} ({want['variant']}) / {case}: "
                                f"{outcomes[case][0]}, wanted {outcome}: {outcomes[case][1]}")
    total = sum(len(s["outcomes"]) for s in expected["submissions"])
    print(f"{task}: {len(expected['submissions'])} submissions, {len(expected['cases'])} cases, "
          f"{matched}/{total} outcomes as expected")


def check_classes():
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    subprocess.run([sys.executable, os.path.join(lab, "klasa.py"), work], check=True)
    for task in TASKS:
        grade_class(task)


def check_public_suites():
    for task in TASKS:
        written = os.path.join(work, task)
        shutil.rmtree(written, ignore_errors=True)
        said = subprocess.run(
            [cli, "test", "--public", os.path.join(lab, task, task + ".json"), "-o", written],
            capture_output=True, text=True)
        if said.returncode != 0:
            failures.append(f"{task}: --public ended {said.returncode}: {said.stderr}")
            continue
        published = os.path.join(kurs, "lab3", task)
        for name in sorted(os.listdir(written)):
            mine = os.path.join(published, name)
            if not os.path.isfile(mine) or not filecmp.cmp(os.path.join(written, name), mine,
                                                           shallow=False):
                failures.append(f"{published}/{name} differs from what --public writes now; "
                                f"write it again: dorum-cli test --public "
                                f"examples/lab/{task}/{task}.json -o kurs/lab3/{task}")


if mode == "class":
    check_classes()
elif mode == "public":
    check_public_suites()
else:
    sys.exit(f"unknown mode {mode}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
