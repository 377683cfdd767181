#!/usr/bin/env python3
"""Grades the test class with --junit and --json and reads both reports back:
the JUnit file must have the elements and attributes JUnit readers require
(testsuites / testsuite with name and tests / testcase with name and
classname / failure with message), and both reports must tell the same story
as each other and as the submissions."""
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

cli, grade, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
junit = os.path.join(work, "class.xml")
report = os.path.join(work, "class.json")
for path in (junit, report):
    if os.path.exists(path):
        os.remove(path)
submissions = ["zgloszenia/" + name for name in
               ("bledna_skladnia", "bledny_rozkaz", "brak_rozkazu", "dobry", "petla", "zly")]
run = subprocess.run([cli, "test", "zestaw.json", "--junit", junit, "--json", report]
                     + submissions, cwd=grade, capture_output=True, text=True)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


check(run.returncode == 5, f"exit status {run.returncode}, expected 5")
# Failed cases are the report's matter; nothing is a complaint of the run.
check(run.stderr == "", f"standard error: {run.stderr!r}")
root = ET.parse(junit).getroot()
check(root.tag == "testsuites", f"root element {root.tag}")
suites = root.findall("testsuite")
check([s.get("name") for s in suites] == [p.split("/")[1] for p in submissions],
      "one testsuite per submission, in order")
cases = {}
for suite in suites:
    testcases = suite.findall("testcase")
    check(suite.get("tests") == str(len(testcases)), f"{suite.get('name')}: tests attribute")
    failed = [t for t in testcases if t.find("failure") is not None]
    check(suite.get("failures") == str(len(failed)), f"{suite.get('name')}: failures attribute")
    for testcase in testcases:
        check(bool(testcase.get("name")) and bool(testcase.get("classname")),
              "testcase without name or classname")
        failure = testcase.find("failure")
        if failure is not None:
            check(bool(failure.get("message")), "failure without message")
        cases[(suite.get("name"), testcase.get("name"))] = (
            None if failure is None else failure.get("message"))
# Every testsuite says it skipped nothing; a failed case's system-out is
# what the program wrote, then the message on a line of its own, and only
# the message when the program wrote nothing.
for suite in suites:
    check(suite.get("skipped") == "0", f"{suite.get('name')}: skipped attribute")
    for testcase in suite.findall("testcase"):
        failure = testcase.find("failure")
        said = testcase.findtext("system-out")
        if failure is None:
            continue
        message = failure.get("message")
        check(said is not None and said.endswith(message) and not said.startswith("\n"),
              f"{suite.get('name')}/{testcase.get('name')}: system-out {said!r}")
check(len(cases) == 6 * 3, f"{len(cases)} testcases, expected 18")
check(root.get("tests") == "18", "testsuites tests attribute")

data = json.load(open(report, encoding="utf-8"))
check(data["total"] == 18 and data["passed"] == 3, "JSON totals")
for submission in data["submissions"]:
    for case in submission["cases"]:
        message = cases.get((submission["name"], case["name"]), "absent")
        if case["passed"]:
            check(message is None, f"{submission['name']}/{case['name']}: passed in JSON only")
        else:
            check(message == case["message"], f"{submission['name']}/{case['name']}: messages")
# A case that stopped somewhere says where: the syntax error's line; a
# passed case has no place.
for submission in data["submissions"]:
    for case in submission["cases"]:
        if case["passed"]:
            check("place" not in case, f"{submission['name']}/{case['name']}: a place when passed")
        elif submission["name"] == "bledna_skladnia":
            place = case.get("place", {})
            check(place.get("line", 0) > 0 and place.get("file") == "program.prg",
                  f"bledna_skladnia/{case['name']}: place {place}")
passed = {name for (name, _), message in cases.items() if message is None}
check(passed == {"dobry"}, f"passing submissions {passed}")
check(cases[("zly", "inne")] == "oczekiwano wynik=50, jest 30", "the wrong result and its value")
check("Nieoczekiwana nazwa sygnału: dood" in cases[("bledny_rozkaz", "inne")],
      "the student's instruction error")
check(cases[("brak_rozkazu", "inne")] == "Brak pliku ddw.rzk", "the missing file")
check("limit 100 " in cases[("petla", "pamiec")], "the case's own cycle limit")

if failures:
    print("\n".join(failures))
    print(run.stdout, run.stderr)
    sys.exit(1)
