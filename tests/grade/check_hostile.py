#!/usr/bin/env python3
"""Grades submissions that hold what no teacher expects: a control character
and a terminal's escape sequence in a word, and a megabyte on one line. The
summary, JUnit and JSON must all be written, readable by their parsers,
free of raw control characters, and small; a report the system refuses
must not keep the other from being written."""
import json
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

cli, grade, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
good = os.path.join(grade, "zgloszenia", "dobry")
hostile = {
    "sterujacy": b"start: W\x01PR 1\r\nSTP\r\n",
    # DEL, and a C1 control: code page 1250 leaves byte 0x81 undefined.
    "usuwajacy": b"start: W\x7fP\x81R 1\r\nSTP\r\n",
    # In UTF-8: the last C1 control, the first printable character after
    # them (a no-break space), and the two noncharacters XML forbids.
    "graniczny": "start: W\u009fP\u00a0R\ufffe\uffff 1\r\nSTP\r\n".encode("utf-8"),
    "ucieczka": b"start: \x1b[2J\x1b[31mPOB x\r\nSTP\r\nx: RST 1\r\n",
    "megabajt": b"start: POB " + b"x" * (1 << 20) + b"\r\nSTP\r\n",
}
submissions = []
for name, program in hostile.items():
    folder = os.path.join(work, name)
    shutil.copytree(good, folder)
    with open(os.path.join(folder, "program.prg"), "wb") as f:
        f.write(program)
    submissions.append(folder)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


# C0 and C1 controls, DEL among them: a terminal's commands.
def control(c):
    return (ord(c) < 0x20 and c != "\n") or 0x7F <= ord(c) <= 0x9F


def grade_class(junit, report):
    return subprocess.run([cli, "test", os.path.join(grade, "zestaw.json"), "--junit", junit,
                           "--json", report] + submissions, capture_output=True)


junit = os.path.join(work, "klasa.xml")
report = os.path.join(work, "klasa.json")
run = grade_class(junit, report)
check(run.returncode == 5, f"exit status {run.returncode}, expected 5")
check(run.stderr == b"", f"standard error: {run.stderr[:300]!r}")
summary = run.stdout.decode("utf-8")
check(not any(control(c) for c in summary), "a control character in the summary")
for escape in ("\\x01", "\\x1b", "\\x7f", "\\x81"):
    check(escape in summary, f"the escape {escape} is not shown in the summary")
for escape in ("\\x9f", "\\ufffe", "\\uffff"):
    check(escape in summary, f"the escape {escape} is not shown in the summary")
check("\u00a0" in summary and "\\xa0" not in summary, "a no-break space is not shown as itself")
# A long word is cut after its 40th character.
check("x" * 40 + "…" in summary and "x" * 41 not in summary, "the long word is not cut at 40")
check(len(summary) < 16384, f"summary of {len(summary)} characters")
for path, limit in ((junit, 65536), (report, 65536)):
    size = os.path.getsize(path) if os.path.exists(path) else -1
    check(0 < size < limit, f"{os.path.basename(path)}: {size} bytes")
if os.path.exists(junit):
    messages = [f.get("message") for f in ET.parse(junit).getroot().iter("failure")]
    check(len(messages) == 3 * len(hostile), f"{len(messages)} failures in JUnit")
    check(any("\\x01" in m for m in messages), "JUnit does not show the control character")
if os.path.exists(report):
    cases = [c for s in json.load(open(report, encoding="utf-8"))["submissions"] for c in s["cases"]]
    check(all(len(c["message"]) < 400 for c in cases), "a message of the JSON report is long")

# JUnit into a folder that does not exist: the JSON report is still written.
os.remove(report)
run = grade_class(os.path.join(work, "nie", "ma", "klasa.xml"), report)
check(run.returncode == 2, f"with JUnit refused: exit status {run.returncode}, expected 2")
check(os.path.exists(report), "with JUnit refused, the JSON report was not written")
check(b"klasa.xml" in run.stderr, f"the refusal is not told: {run.stderr[:300]!r}")

# A program that prints without end is judged on all it printed and kept in
# part: a class of them must not fill the grading's memory and reports.
printer = os.path.join(work, "drukarz")
os.makedirs(os.path.join(printer, "zgloszenia", "pisze"))
shutil.copy(os.path.join(grade, "ombra.lst"), printer)
with open(os.path.join(printer, "zgloszenia", "pisze", "program.prg"), "w") as f:
    f.write("a: POB z\nWYP 2\nPOB s\nWYP 2\nSOB a\nz: RST 65\ns: RST 32\n")
with open(os.path.join(printer, "drukarz.json"), "w") as f:
    json.dump({"list": "ombra.lst", "program": "program.prg", "submissions": "zgloszenia", "timeout": 120,
               "cases": [{"name": "bez_konca", "max_cycles": 300000, "output_contains": "B"},
                         {"name": "same_a", "max_cycles": 300000, "status": "limit",
                          "output_contains": "A A A"}]}, f)
printed = os.path.join(printer, "raport.json")
run = subprocess.run([cli, "test", os.path.join(printer, "drukarz.json"), "--json", printed],
                     capture_output=True)
check(run.returncode == 5, f"endless printer: exit status {run.returncode}, expected 5")
if os.path.exists(printed):
    cases = json.load(open(printed, encoding="utf-8"))["submissions"][0]["cases"]
    check([c["outcome"] for c in cases] == ["limit", "passed"],
          f"endless printer: outcomes {[c['outcome'] for c in cases]}")
    check(all(4000 < len(c["output"]) <= 4097 and c["output"].endswith("…") for c in cases),
          f"endless printer: outputs of {[len(c['output']) for c in cases]} characters")
else:
    check(False, "endless printer: no report")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
