#!/usr/bin/env python3
"""One submission for each outcome a student's run can have, graded with
every report: the summary's mark, the JSON outcome and teacher flag, the
JUnit element (a failure for a wrong result, an error for a run that did
not end on its own) and its counts, and the gradebook's points, sum and
maximum, and the points in the summary and the JSON report must all say the
same thing about each case."""
import csv
import json
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

cli = sys.argv[1]
failures = []

# submission: (program or None for none, outcome of case a, of case b)
# Case a checks the label x (2 points), case b the register AK (1 point).
SUBMISSIONS = {
    "dobry": ("start: POB x\r\nSTP\r\nx: RST 5\r\n", "passed", "passed"),
    "zly": ("start: POB x\r\nSTP\r\nx: RST 6\r\n", "wrong", "wrong"),
    "bez": ("start: POB 2\r\nSTP\r\nRST 5\r\n", "missing_label", "passed"),
    "blad": ("start: FOO x\r\n", "error", "error"),
    "petla": ("start: SOB start\r\n", "limit", "limit"),
    "brak": (None, "missing", "missing"),
}
MARK = {"passed": "ok", "wrong": "źle", "missing_label": "etykieta", "error": "błąd",
        "limit": "limit", "input": "wejście", "timeout": "czas", "missing": "brak",
        "suite": "zestaw"}
JUNIT_ERROR = {"timeout", "crash", "suite"}
POINTS = {"a": 2, "przypadek2": 1, "b": 1, "s": 1}


def grade(work, suite, names):
    path = os.path.join(work, "s.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(suite, f)
    reports = {kind: os.path.join(work, "raport." + kind) for kind in ("xml", "json", "csv")}
    args = [cli, "test", path] + [os.path.join(work, n) for n in names] + [
        "--junit", reports["xml"], "--json", reports["json"], "--csv", reports["csv"]]
    result = subprocess.run(args, capture_output=True, text=True, timeout=120)
    return result, reports


def check_reports(result, reports, expected):
    """expected: submission -> {case: outcome}"""
    everything_passed = all(o == "passed" for cases in expected.values() for o in cases.values())
    if result.returncode != (0 if everything_passed else 5):
        failures.append(f"status {result.returncode}: {result.stderr}")
    table = result.stdout.split("Zaliczone w całości")[0]
    rows = {line.split()[0]: line.split()[1:] for line in table.splitlines()
            if line.split() and line.split()[0] in expected}
    data = json.load(open(reports["json"], encoding="utf-8"))
    root = ET.parse(reports["xml"]).getroot()
    book = {row["zgloszenie"]: row for row in csv.DictReader(open(reports["csv"], encoding="utf-8"))}
    totals = {"tests": 0, "failures": 0, "errors": 0}
    whole = 0
    for submission in data["submissions"]:
        name = submission["name"]
        cases = expected[name]
        junit = root.find(f"testsuite[@name='{name}']")
        counts = {"tests": 0, "failures": 0, "errors": 0}
        points = 0
        for i, case in enumerate(submission["cases"]):
            outcome = cases[case["name"]]
            where = f"{name}/{case['name']}"
            if (case["outcome"], case["passed"], case["teacher"]) != (
                    outcome, outcome == "passed", outcome == "suite"):
                failures.append(f"{where}: JSON {case['outcome']} {case['passed']} "
                                f"{case['teacher']}, wanted {outcome}")
            if rows[name][i] != MARK[outcome]:
                failures.append(f"{where}: summary mark {rows[name][i]}, wanted {MARK[outcome]}")
            element = junit.find(f"testcase[@name='{case['name']}']")
            tag = None if outcome == "passed" else (
                "error" if outcome in JUNIT_ERROR else "failure")
            found = [e for e in element if e.tag in ("failure", "error")]
            if [e.tag for e in found] != ([tag] if tag else []):
                failures.append(f"{where}: JUnit {[e.tag for e in found]}, wanted {tag}")
            elif found and (found[0].get("type") != outcome or
                            found[0].get("message") != case["message"]):
                failures.append(f"{where}: JUnit type {found[0].get('type')}")
            counts["tests"] += 1
            counts["failures"] += tag == "failure"
            counts["errors"] += tag == "error"
            wanted_points = POINTS[case["name"]] if outcome == "passed" else 0
            points += wanted_points
            if book[name][case["name"]] != str(wanted_points):
                failures.append(f"{where}: gradebook {book[name][case['name']]}")
            if (case["points"], case["max_points"]) != (wanted_points, POINTS[case["name"]]):
                failures.append(f"{where}: JSON points {case['points']} of {case['max_points']}")
        passed = sum(o == "passed" for o in cases.values())
        whole += passed == len(cases)
        if (submission["passed"], submission["total"]) != (passed, len(cases)):
            failures.append(f"{name}: JSON passed {submission['passed']}/{submission['total']}")
        most = sum(POINTS[c] for c in cases)
        if rows[name][-2:] != [f"{passed}/{len(cases)}", f"{points}/{most}"]:
            failures.append(f"{name}: summary {rows[name][-2:]}")
        if (submission["points"], submission["max_points"]) != (points, most):
            failures.append(f"{name}: JSON points {submission['points']} of "
                            f"{submission['max_points']}")
        if (book[name]["suma"], book[name]["maksimum"]) != (str(points), str(sum(POINTS[c] for c in cases))):
            failures.append(f"{name}: gradebook sum {book[name]['suma']} of {book[name]['maksimum']}")
        for key, value in counts.items():
            totals[key] += value
            if junit.get(key) != str(value):
                failures.append(f"{name}: JUnit {key}={junit.get(key)}, wanted {value}")
    for key, value in totals.items():
        if root.get(key) != str(value):
            failures.append(f"testsuites {key}={root.get(key)}, wanted {value}")
    if f"Zaliczone w całości: {whole} z {len(expected)} zgłoszeń" not in result.stdout:
        failures.append(f"whole passes: wanted {whole} of {len(expected)}")
    if len(data["submissions"]) != len(expected):
        failures.append(f"{len(data['submissions'])} submissions in JSON")


with tempfile.TemporaryDirectory() as work:
    for name, (program, _, _) in SUBMISSIONS.items():
        os.makedirs(os.path.join(work, name))
        if program is not None:
            with open(os.path.join(work, name, "p.prg"), "w", encoding="cp1250",
                      newline="") as f:
                f.write(program)
    cases = [{"name": "a", "expect": {"x": 5}, "points": 2}, {"expect": "AK=5"}]
    suite = {"program": "p.prg", "max_cycles": 100, "cases": cases}
    result, reports = grade(work, suite, list(SUBMISSIONS))
    check_reports(result, reports, {n: {"a": a, "przypadek2": b}
                                    for n, (_, a, b) in SUBMISSIONS.items()})
    # A run stopped by the clock is an error of JUnit's, not a failure.
    suite = {"program": "p.prg", "max_cycles": 1e15, "timeout": 0.3,
             "cases": [{"name": "b", "expect": "AK=5"}]}
    result, reports = grade(work, suite, ["petla", "dobry"])
    check_reports(result, reports, {"petla": {"b": "timeout"}, "dobry": {"b": "passed"}})
    # A run that refuses the case's checks (an instruction word with a label
    # no program defines) leaves a case the suite's: a JUnit error.
    result, reports = grade(work, {"program": "p.prg", "cases": [
        {"name": "s", "expect": {"mem[0]": "POB y"}}]}, ["dobry"])
    check_reports(result, reports, {"dobry": {"s": "suite"}})
    # Every case passed: status 0.
    result, reports = grade(work, dict(suite, timeout=10), ["dobry"])
    check_reports(result, reports, {"dobry": {"b": "passed"}})

for failure in failures:
    print(failure)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
