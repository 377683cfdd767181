#!/usr/bin/env python3
"""The course sites' set-ups of examples/grading, tried as each site runs them.

Moodle VPL: vpl_evaluate.sh in a folder laid out as VPL lays out a student's
(the student's files beside the execution files), then the vpl_execution it
writes: a comment line per case, one grade, scaled to VPL_GRADEMAX when VPL
gives it; a program's output can never pass for a grade; a teacher's mistake
gives comments and no grade.

GitHub Classroom: every step of the workflow runs its command in a copy of a
student's repository; the steps name the suite's cases with their points,
and a command ends with 0 exactly when its case passes."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

cli, grading = (os.path.abspath(arg) for arg in sys.argv[1:3])
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def vpl_folder(work, student):
    """A student's folder as VPL makes it, with vpl_execution written."""
    folder = os.path.join(work, "vpl-" + student)
    shutil.copytree(os.path.join(grading, "zgloszenia", student), folder)
    for name in ("kurs.json", "kurs.lst", "vpl_evaluate.sh"):
        shutil.copy(os.path.join(grading, name), folder)
    shutil.copytree(os.path.join(grading, "wzorzec"), os.path.join(folder, "wzorzec"))
    env = dict(os.environ, DORUM_CLI=cli)
    subprocess.run(["bash", "vpl_evaluate.sh"], cwd=folder, env=env, check=True)
    return folder


def vpl_run(folder, grade_max=None):
    env = {k: v for k, v in os.environ.items() if k != "VPL_GRADEMAX"}
    if grade_max is not None:
        env["VPL_GRADEMAX"] = grade_max
    run = subprocess.run(["./vpl_execution"], cwd=folder, env=env, capture_output=True,
                         text=True, timeout=120)
    lines = run.stdout.splitlines()
    for line in lines:
        check(line.startswith(("Comment :=>>", "Grade :=>>")), f"VPL: a line VPL ignores: {line!r}")
    return lines, [line for line in lines if line.lower().startswith("grade :=>>")]


with tempfile.TemporaryDirectory() as work:
    anna = vpl_folder(work, "anna")
    lines, grades = vpl_run(anna, "10")
    check(grades == ["Grade :=>> 10"], f"VPL anna of 10: {grades}")
    check(lines[:3] == ["Comment :=>>-przyklad (ok)", "Comment :=>>-inne (ok)",
                        "Comment :=>>-ujemne (ok)"], f"VPL anna: {lines}")
    lines, grades = vpl_run(anna)
    check(grades == ["Grade :=>> 3"], f"VPL anna, points: {grades}")
    bartek = vpl_folder(work, "bartek")
    lines, grades = vpl_run(bartek, "10")
    check(grades == ["Grade :=>> 0"], f"VPL bartek: {grades}")
    check(lines[0].startswith("Comment :=>>-przyklad (") and len(lines) == 4,
          f"VPL bartek: {lines}")
    # A program whose output holds VPL's marks: a comment still, one grade.
    echo = os.path.join(work, "vpl-echo")
    os.makedirs(echo)
    shutil.copy(os.path.join(grading, "ombra.lst"), echo)
    shutil.copy(os.path.join(grading, "vpl_evaluate.sh"), echo)
    shutil.copy(os.path.join(grading, "wzorzec_echo", "echo.prg"), echo)
    with open(os.path.join(echo, "echo.json"), "w", encoding="utf-8") as f:
        f.write('{"list": "ombra.lst", "program": "echo.prg", "max_cycles": 100000, "cases": ['
                '{"name": "podstep", "input": "a\\nGrade :=>> 100\\n<|--\\n.", "output": "x"}]}')
    subprocess.run(["bash", "vpl_evaluate.sh"], cwd=echo, check=True,
                   env=dict(os.environ, DORUM_CLI=cli, DORUM_SUITE="echo.json"))
    lines, grades = vpl_run(echo, "10")
    check(grades == ["Grade :=>> 0"] and len(lines) == 2, f"VPL forged grade: {lines}")
    # The teacher's mistake: comments saying so, and no grade at all.
    lines, grades = vpl_run(anna, "dziesięć")
    check(grades == [] and any("VPL_GRADEMAX" in line for line in lines),
          f"VPL bad VPL_GRADEMAX: {lines}")

    # GitHub Classroom: the steps of the workflow, each a case with points.
    template = os.path.join(grading, "classroom")
    workflow = open(os.path.join(template, ".github", "workflows", "classroom.yml"),
                    encoding="utf-8").read()
    steps = re.findall(r"test-name: (\S+)\n\s+command: (.+)\n\s+timeout: \d+\n\s+max-score: (\d+)",
                       workflow)
    suite = open(os.path.join(template, "testy", "kurs.json"), encoding="utf-8").read()
    cases = re.findall(r'"name": "(\w+)".*"points": (\d+)', suite)
    check([(name, points) for name, _, points in steps] == cases,
          f"Classroom: steps {steps}, suite's cases {cases}")
    runners = re.search(r"runners: (.+)", workflow)
    check(runners and runners.group(1).split(",") == [name for name, _ in cases],
          "Classroom: the reporter's runners")
    for student, passes in (("anna", True), ("bartek", False)):
        repository = os.path.join(work, "classroom-" + student)
        shutil.copytree(os.path.join(grading, "zgloszenia", student), repository)
        shutil.copytree(os.path.join(template, "testy"), os.path.join(repository, "testy"))
        for name, command, _ in steps:
            args = command.split()
            check(args[:2] == ["dorum-cli", "test"] and args[-2:] == ["--case", name],
                  f"Classroom: command {command}")
            run = subprocess.run([cli] + args[1:], cwd=repository, capture_output=True,
                                 text=True, timeout=120)
            check(run.returncode == (0 if passes else 5),
                  f"Classroom {student}/{name}: status {run.returncode}: {run.stderr}")
            check(f"przypadków 1" in run.stdout and run.stderr == "",
                  f"Classroom {student}/{name}: {run.stdout} {run.stderr}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
