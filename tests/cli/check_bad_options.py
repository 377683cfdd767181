#!/usr/bin/env python3
"""Every option of dorum-cli run, and every key of a test suite, with values
a teacher could mistype, on each example machine: each ends with a status of
the command's own (0 to 6, usage errors 2) and never with a signal, and with
--json a bad option still prints its JSON object."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

cli, examples = sys.argv[1:3]
LISTS = [None, "dorum-plus/dorum-plus.lst", "pelt/pelt.lst", "ombra/ombra.lst"]
BAD = {
    "--list": ["/nie/ma.lst", ".", "/dev/null", "{prog}"],
    "--input-file": ["/nie/ma.txt", "."],
    "--max-cycles": ["0", "-1", "abc", "1e99", "99999999999999999999", ""],
    "--expect": ["", "=", "a", "AK=", "mem[", "mem[-1]=0", "mem[99999]=0", "RZ=0", "X=1",
                 "AK=99999999999", "x=siedem", "a=3;b=7", "mem[x]=1", ",,,"],
    "--set": ["=", "AK=", "mem[99999]=1", "RZ=1", "x=siedem", "AK=-99999999999", "G=1"],
    "--irq": ["2@10", "0@1", "5@1", "2@", "@", "2@-1", "2@abc", "2@99999999999999999999", "1@0", "x"],
    "--stop-when": ["AK>", "changed(", "mem[999999]=0", "RZ=0", "zzz=1", "", "AK>=siedem"],
    "--trace": [".", "/nie/ma/slad.jsonl"],
    "--vcd": [".", "/nie/ma/przebiegi.vcd"],
    "--must-execute": ["", "ZZZ", ","],
    "--instruction": ["/nie/ma.rzk", ".", "{prog}"],
    "--input": ["\x01\x1b[2J", "x" * 100000],
    "--time-limit": ["0", "-1", "abc", "1e9", ""],
}
FLAGS = ["--json", "--dump-memory", "--hide-expected"]
failures = []


def run(args, cwd):
    result = subprocess.run([cli] + args, cwd=cwd, capture_output=True, timeout=60)
    if result.returncode < 0 or result.returncode > 6:
        failures.append(f"{' '.join(args)[:200]}: status {result.returncode}")
    return result


with tempfile.TemporaryDirectory() as work:
    prog = os.path.join(work, "p.prg")
    with open(prog, "wb") as f:
        f.write(b"start: POB x\r\nDOD y\r\n\xa3AD x\r\nSTP\r\nx: RST 3\r\ny: RST -4\r\n")
    for lst in LISTS:
        base = [("run"), prog, "--max-cycles", "5000"]
        if lst:
            base += ["--list", os.path.join(examples, lst)]
        for option, values in BAD.items():
            for value in values:
                value = value.replace("{prog}", prog)
                args = base + [option, value]
                run(args, work)
                result = run(args + ["--json"], work)
                if result.returncode == 2 and option not in ("--trace", "--vcd"):
                    try:
                        report = json.loads(result.stdout)
                        if report.get("status") != "usage":
                            failures.append(f"{option} {value[:40]!r} --json: status field "
                                            f"{report.get('status')}")
                    except ValueError:
                        failures.append(f"{option} {value[:40]!r} --json: no JSON object")
        for flag in FLAGS:
            run(base + [flag], work)

    # A suite with each key given a bad value: refused (2) before anything
    # runs, or graded; never a crash.
    good_case = {"name": "a", "expect": {"x": -1}}
    bad_values = {
        "set": ["x=", "mem[99999]=1", "RZ=1", 5, [1]], "expect": ["a=3;b=7", "siedem", {"x": "y"}],
        "irq": ["5@10", "abc", ["2@x"], 7], "input": [5, ["a"]], "input_file": ["/nie/ma", 3],
        "max_cycles": [0, -5, "reference*x", "abc", 1.5], "must_execute": ["ZMA", [""], 4],
        "output": [3], "output_contains": [[]], "status": ["koniec", 1], "points": [-1, "x"],
        "name": [3, ""],
    }
    for lst in LISTS:
        for key, values in bad_values.items():
            for value in values:
                suite = {"program": "p.prg", "cases": [dict(good_case, **{key: value})]}
                if lst:
                    # A suite's paths stay inside its folder.
                    shutil.copy(os.path.join(examples, lst), os.path.join(work, "lista.lst"))
                    suite["list"] = "lista.lst"
                path = os.path.join(work, "s.json")
                with open(path, "w", encoding="utf-8") as f:
                    json.dump(suite, f)
                run(["test", path, prog, "--jobs", "1"], work)

for failure in failures:
    print(failure)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
