#!/usr/bin/env python3
"""Grades the console program with the course suite and --csv, then reads the
gradebook back with Python's csv module, as a spreadsheet or a course site
would: a header of the cases, a row per submission with the points each
case earned, the total and the most there were; in the dialect for a
spreadsheet set to Polish too, and with the students' names whole."""
import csv
import json
import os
import shutil
import subprocess
import sys

cli, grade, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
book = os.path.join(work, "dziennik.csv")
if os.path.exists(book):
    os.remove(book)
echo = os.path.join(grade, "..", "..", "examples", "ombra", "echo.prg")
run = subprocess.run([cli, "test", "konsola.json", echo, "--csv", book], cwd=grade,
                     capture_output=True, text=True)
failures = []
if run.returncode != 5:
    failures.append(f"exit status {run.returncode}, expected 5: {run.stderr}")
with open(book, newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
expected = [
    ["zgloszenie", "wielkie", "fragment", "z_pliku", "czeka", "zle_wyjscie", "nie_czeka", "suma",
     "maksimum"],
    ["echo", "2", "1", "1", "0.5", "0", "0", "4.5", "6.5"],
]
if rows != expected:
    failures.append(f"gradebook {rows}, expected {expected}")
points = [float(p) for p in rows[1][1:7]] if len(rows) > 1 else []
if len(rows) > 1 and sum(points) != float(rows[1][7]):
    failures.append("the total is not the sum of the cases")

# Case names holding a separator, a quote or a line end come back whole.
names = ["a,b", 'say "hi"', "two\nlines", "cr\rhere", "plain"]
folder = os.path.join(work, "nazwy", "ola")
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "p.prg"), "w", encoding="cp1250", newline="") as f:
    f.write("start: POB x\r\nSTP\r\nx: RST 5\r\n")
suite = os.path.join(work, "nazwy.json")
with open(suite, "w", encoding="utf-8") as f:
    json.dump({"program": "p.prg",
               "cases": [{"name": n, "expect": {"AK": 5}} for n in names]}, f)
run = subprocess.run([cli, "test", suite, folder, "--csv", book, "--jobs", "1"],
                     capture_output=True, text=True)
if run.returncode != 0:
    failures.append(f"names: exit status {run.returncode}: {run.stderr}")
with open(book, newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
expected = [["zgloszenie"] + names + ["suma", "maksimum"], ["ola", "1", "1", "1", "1", "1", "5", "5"]]
if rows != expected:
    failures.append(f"gradebook {rows}, expected {expected}")
# A quote is doubled inside a quoted field, as RFC 4180 writes it.
with open(book, newline="", encoding="utf-8") as f:
    if ',"say ""hi""",' not in f.read():
        failures.append("the name with quotes is not quoted with its quotes doubled")

# The gradebook for a spreadsheet set to Polish: semicolons, a byte order
# mark, decimal commas.
run = subprocess.run([cli, "test", "konsola.json", echo, "--csv", book, "--csv-format", "excel"],
                     cwd=grade, capture_output=True, text=True)
with open(book, "rb") as f:
    if not f.read().startswith(b"\xef\xbb\xbf"):
        failures.append("excel: no byte order mark")
with open(book, newline="", encoding="utf-8-sig") as f:
    rows = list(csv.reader(f, delimiter=";"))
if rows[1:] != [["echo", "2", "1", "1", "0,5", "0", "0", "4,5", "6,5"]]:
    failures.append(f"excel gradebook {rows}")
run = subprocess.run([cli, "test", "konsola.json", echo, "--csv", book, "--csv-format", "ods"],
                     cwd=grade, capture_output=True, text=True)
if run.returncode != 2 or "--csv-format" not in run.stderr:
    failures.append(f"an unknown --csv-format: status {run.returncode}: {run.stderr}")


def gradebook(names, *options):
    """The rows of the gradebook of a class of folders so named, keyed by the
    first column, with the summary and the JSON report."""
    klass = os.path.join(work, "klasa")
    shutil.rmtree(klass, ignore_errors=True)
    for name in names:
        path = os.path.join(klass, name)
        if name.endswith(".prg"):
            os.makedirs(os.path.dirname(path), exist_ok=True)
            target = path
        else:
            os.makedirs(path)
            target = os.path.join(path, "p.prg")
        with open(target, "w", encoding="utf-8", newline="") as f:
            f.write("start: POB x\r\nSTP\r\nx: RST 5\r\n")
    report = os.path.join(work, "klasa.json")
    run = subprocess.run([cli, "test", suite, "--csv", book, "--json", report, "--jobs", "1",
                          *options] + [os.path.join(klass, n) for n in names],
                         capture_output=True, text=True)
    if run.returncode != 0:
        failures.append(f"{names}: status {run.returncode}: {run.stderr}")
    encoding = "utf-8-sig" if "excel" in options else "utf-8"
    with open(book, newline="", encoding=encoding) as f:
        rows = list(csv.DictReader(f, delimiter=";" if "excel" in options else ","))
    people = {s["name"]: s for s in json.load(open(report, encoding="utf-8"))["submissions"]}
    return {row["zgloszenie"]: row for row in rows}, run.stdout, people


# Names longer than 40 characters stay whole in every report: a Moodle
# download folder gives the person and the id; Classroom repositories
# differing only past their 40th character stay two.
moodle = "Maria Konstantynopolitańska-Wiśniewska_4127_assignsubmission_file_"
rows, summary, people = gradebook([moodle, "Jan Kowalski_88_assignsubmission_onlinetext_x"],
                                  "--csv-format", "excel")
if set(rows) != {moodle, "Jan Kowalski_88_assignsubmission_onlinetext_x"}:
    failures.append(f"Moodle names: {sorted(rows)}")
elif (rows[moodle]["osoba"], rows[moodle]["id"]) != ("Maria Konstantynopolitańska-Wiśniewska",
                                                     "4127"):
    failures.append(f"Moodle person and id: {rows[moodle]}")
if moodle not in summary or people.get(moodle, {}).get("id") != "4127":
    failures.append("the Moodle name is not whole in the summary and the JSON report")
login = "zadanie-1-maszyna-dorum-dodawanie-z-rozkazem-"
rows, summary, people = gradebook([login + "ania", login + "antek"])
if set(rows) != {login + "ania", login + "antek"}:
    failures.append(f"Classroom names: {sorted(rows)}")
elif [rows[login + s]["osoba"] for s in ("ania", "antek")] != ["ania", "antek"]:
    failures.append(f"Classroom logins: {rows}")
if summary.count(login) != 2:
    failures.append(f"Classroom names in the summary: {summary}")
# A folder and a program file of one name; names that split into no person.
rows, summary, people = gradebook(["x", "x.prg"])
if sorted(rows) != ["x", "x.prg"] or "osoba" in next(iter(rows.values())):
    failures.append(f"a folder and a file alike: {rows}")
# A name a spreadsheet would run as a formula stays a name in Excel's file.
rows, summary, people = gradebook(["=1+1", "+2", "-3", "@a"], "--csv-format", "excel")
if sorted(rows) != ["'+2", "'-3", "'=1+1", "'@a"]:
    failures.append(f"names that start like a formula: {sorted(rows)}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
