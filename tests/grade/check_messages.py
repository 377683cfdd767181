#!/usr/bin/env python3
"""Grades the test class and submissions that go wrong in every way a
person reads about (a wrong value, a missing label, an instruction that did
not run, a missing file, a file with a NUL byte, a run waiting for input)
and checks what the summary, the JSON report and JUnit say: Polish words,
never the English ones, and no folder of the grading machine."""
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

cli, grade, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
# A class of the grading machine's own: its folder must not show.
klasa = os.path.join(work, "klasa")
shutil.copytree(os.path.join(grade, "zgloszenia"), klasa)
os.makedirs(os.path.join(klasa, "nul"))
shutil.copy(os.path.join(grade, "zgloszenia", "dobry", "ddw.rzk"), os.path.join(klasa, "nul"))
with open(os.path.join(klasa, "nul", "program.prg"), "wb") as f:
    f.write(b"start: POB x\0\r\nSTP\r\n")
shutil.rmtree(os.path.join(klasa, "literowki"))
english = re.compile(r"\b(expected|got|wrong value|not executed|reference fails|nothing|label)\b")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def grade_class(suite, submissions, name):
    report = os.path.join(work, name + ".json")
    junit = os.path.join(work, name + ".xml")
    run = subprocess.run([cli, "test", suite, "--json", report, "--junit", junit] + submissions,
                         cwd=grade, capture_output=True, text=True)
    check(run.returncode == 5, f"{name}: exit status {run.returncode}: {run.stderr[:300]}")
    texts = [run.stdout, run.stderr]
    if os.path.exists(report):
        for submission in json.load(open(report, encoding="utf-8"))["submissions"]:
            for case in submission["cases"]:
                texts.append(case.get("message") or "")
                texts.append(json.dumps(case.get("checks", []), ensure_ascii=False))
    for text in texts:
        for line in text.splitlines():
            check(not english.search(line.replace('"expected"', "").replace('"label"', "")),
                  f"{name}: English in {line!r}")
    # JUnit's failures, which a CI page shows a student.
    if os.path.exists(junit):
        for failure in ET.parse(junit).getroot().iter("failure"):
            texts += [failure.get("message") or "", failure.text or ""]
    for folder in (os.path.abspath(grade), os.path.abspath(work)):
        check(not any(folder in text for text in texts), f"{name}: the folder {folder} is shown")
    return run.stdout


summary = grade_class(os.path.join(grade, "zestaw.json"),
                      [os.path.join(klasa, name) for name in sorted(os.listdir(klasa))], "klasa")
check("Nie można wczytać pliku program.prg: w wierszu 1 jest znak NUL" in summary,
      "the NUL byte is not told with the file's own name")
check("brak wartości: program nie ma etykiety wynik" in summary, "the missing label")
check("DDW: nie wykonano" in summary, "the instruction that did not run")
grade_class("ukryte.json", [os.path.join(klasa, "bez_etykiety"), os.path.join(klasa, "zly")],
            "ukryte")
console = grade_class("konsola.json", ["../../examples/ombra/echo.prg"], "konsola")
check("wyjście: oczekiwano „" in console, "the output that differs")
waiting = grade_class("echo.json", ["../../examples/ombra/echo.prg"], "wejscie")
check("; program wypisał dotąd „" in waiting, "a run waiting for input does not tell its output")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
