#!/usr/bin/env python3
"""dorum-cli test --public: the students' suite holds the public cases only,
each cycle limit the number the teacher's grading uses, no reference and no
class folder, its files copied beside it; graded from inside a student's
folder it gives the verdicts and limits of the teacher's grading."""
import json
import os
import shutil
import subprocess
import sys

cli, grade, work = sys.argv[1:4]
failures = []


def run(args, cwd):
    return subprocess.run([cli] + args, cwd=cwd, capture_output=True, text=True)


def outcomes(report_path):
    """Case name -> (outcome, message) of the only submission of a report."""
    with open(report_path, encoding="utf-8") as f:
        cases = json.load(f)["submissions"][0]["cases"]
    return {c["name"]: (c["outcome"], c["message"]) for c in cases}


def check_suite(suite, public, factor, fixed, submissions):
    """`public`: the names the students' suite must hold; `factor`: N of
    "reference*N"; `fixed`: cases with a limit of their own."""
    folder = os.path.join(work, suite.replace(".json", ""))
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    written = os.path.join(folder, "publiczny")
    said = run(["test", "--public", suite, "-o", written], grade)
    if said.returncode != 0:
        failures.append(f"{suite}: --public ended {said.returncode}: {said.stderr}")
        return
    with open(os.path.join(written, suite), encoding="utf-8") as f:
        data = json.load(f)
    names = [c["name"] for c in data["cases"]]
    if names != public:
        failures.append(f"{suite}: cases {names}, wanted {public}")
    for key in ("reference", "submissions"):
        if key in data:
            failures.append(f"{suite}: key {key} kept")
    teacher_suite = json.load(open(os.path.join(grade, suite), encoding="utf-8"))
    for name in [data.get("list")] + [c.get("input_file") for c in data["cases"]]:
        if name and not os.path.isfile(os.path.join(written, name)):
            failures.append(f"{suite}: {name} not copied beside the suite")
    # The reference's own cycles in the teacher's grading set the limits.
    reference = os.path.join(folder, "wzorzec.json")
    run(["test", suite, teacher_suite["reference"], "--json", reference], grade)
    with open(reference, encoding="utf-8") as f:
        cycles = {c["name"]: c["cycles"] for c in json.load(f)["submissions"][0]["cases"]}
    for case in data["cases"]:
        wanted = fixed.get(case["name"], max(1, cycles[case["name"]]) * factor)
        if case.get("max_cycles") != wanted:
            failures.append(f"{suite}/{case['name']}: max_cycles {case.get('max_cycles')}, "
                            f"wanted {wanted}")
    # A student grades their own folder with the suite handed out inside it.
    for submission in submissions:
        student = os.path.join(folder, "student")
        shutil.rmtree(student, ignore_errors=True)
        shutil.copytree(os.path.join(grade, submission), student)
        shutil.move(written, os.path.join(student, "publiczny"))
        theirs = os.path.join(folder, "student.json")
        run(["test", os.path.join("publiczny", suite), ".", "--json", theirs], student)
        shutil.move(os.path.join(student, "publiczny"), written)
        ours = os.path.join(folder, "nauczyciel.json")
        run(["test", suite, submission, "--json", ours], grade)
        expected = {k: v for k, v in outcomes(ours).items() if k in public}
        if outcomes(theirs) != expected:
            failures.append(f"{suite} {submission}: student's {outcomes(theirs)}, "
                            f"teacher's {expected}")


check_suite("jawne.json", ["przyklad", "przypadek2", "staly"], 3, {"staly": 400},
            ["zgloszenia/dobry", "zgloszenia/zly", "zgloszenia/petla", "zgloszenia/brak_rozkazu"])
check_suite("jawne_konsola.json", ["wiersze"], 2, {}, ["przepisz"])

# A suite saved in code page 1250 is written out as UTF-8, its words kept.
ansi = os.path.join(work, "cp1250")
shutil.rmtree(ansi, ignore_errors=True)
os.makedirs(ansi)
shutil.copy(os.path.join(grade, "kurs.lst"), ansi)
shutil.copytree(os.path.join(grade, "z_wzorcem"), os.path.join(ansi, "z_wzorcem"))
with open(os.path.join(grade, "jawne.json"), encoding="utf-8") as f:
    text = f.read().replace('"staly"', '"mały"')
with open(os.path.join(ansi, "jawne.json"), "w", encoding="cp1250") as f:
    f.write(text)
said = run(["test", "--public", "jawne.json", "-o", "publiczny"], ansi)
try:
    with open(os.path.join(ansi, "publiczny", "jawne.json"), encoding="utf-8") as f:
        names = [c["name"] for c in json.load(f)["cases"]]
    if names != ["przyklad", "przypadek2", "mały"]:
        failures.append(f"cp1250 suite: cases {names}")
except (OSError, ValueError) as e:
    failures.append(f"cp1250 suite: {said.returncode} {said.stderr} {e}")

# Written over the teacher's own folder the suite would lose its hidden cases.
said = run(["test", "--public", "jawne.json", "-o", "."], grade)
if said.returncode != 2:
    failures.append(f"--public -o . (the suite's folder): status {said.returncode}")
said = run(["test", "--public", "zestaw.json", "-o", os.path.join(work, "zadne")], grade)
if said.returncode != 2 or "public" not in said.stderr:
    failures.append(f"--public of a suite without public cases: {said.returncode} {said.stderr}")
# Submissions beside --public are a teacher's mix-up: they would go
# ungraded while the command reports success.
mixed = os.path.join(work, "z_oddaniami")
shutil.rmtree(mixed, ignore_errors=True)
said = run(["test", "--public", "jawne.json", "-o", mixed, "zgloszenia/dobry"], grade)
if said.returncode != 2 or "zgłoszeń" not in said.stderr or os.path.exists(mixed):
    failures.append(f"--public with a submission: {said.returncode} {said.stderr}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
