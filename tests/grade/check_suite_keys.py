#!/usr/bin/env python3
"""Holds the suite's keys in three places to one list: the keys dorum-cli
test accepts (as its refusal of an unknown key lists them), the keys its
--help shows, and the keys the README's section on grading names."""
import json
import os
import re
import subprocess
import sys
import tempfile

cli, readme = sys.argv[1:3]


def accepted(suite):
    """The keys named in the refusal of a suite with an unknown key."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "s.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(suite, f)
        said = subprocess.run([cli, "test", path, folder], capture_output=True, text=True).stderr
    match = re.search(r"\(znane: ([^)]*)\)", said)
    return set(match.group(1).split(", ")) if match else set()


top = accepted({"program": "p.prg", "nieznany": 1, "cases": []})
case = accepted({"program": "p.prg", "cases": [{"nieznany": 1}]})
helped = set(re.findall(r'(?:^|\s)"(\w+)":', subprocess.run([cli, "test", "--help"], capture_output=True,
                                                     text=True).stdout))
text = open(readme, encoding="utf-8").read()
section = text[text.index("dorum-cli test SUITE"):text.index("## Example programs")]
table = section[section.index("| Key | Meaning |"):]
table = table[:table.index("\n\n")]
documented = set(re.findall(r"^\| `(\w+)` \|", table, re.M))
cases_row = re.search(r"^\| `cases` \| each: (.*) \|$", section, re.M)
documented_case = set(re.findall(r"`(\w+)`", cases_row.group(1))) if cases_row else set()
failures = []
if not top or not case:
    failures.append("the unknown keys were not refused with the known ones")
for what, found, wanted in (("--help", helped, top | case), ("README's table", documented, top),
                            ("README's cases row", documented_case, case)):
    if found != wanted:
        failures.append(f"{what}: missing {sorted(wanted - found)}, extra {sorted(found - wanted)}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
