#!/usr/bin/env python3
"""Each case of each submission runs on its own, whichever way the grading
starts it: a copy of the grading process (the default on POSIX systems) or
a new "dorum-cli run" process (DORUM_GRADE_EXEC=1).

A case whose process dies of a signal is a crash, one whose process stops
answering is ended by the grading's clock (the suite's timeout and a grace
of 5 s) and one that runs past the timeout stops itself; each costs only
its own case, and the submissions after them are graded as usual. Both
ways give the same reports, times aside, on the classes of these tests."""
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

cli = os.path.abspath(sys.argv[1])
here = os.path.dirname(os.path.abspath(__file__))
failures = []
RUNNERS = {"fork": {}, "exec": {"DORUM_GRADE_EXEC": "1"}}

GOOD = "start: POB x\r\nSTP\r\nx: RST 5\r\n"
ENDLESS = "start: SOB start\r\n"
# In the order graded (one at a time): the test sends the first endless
# case's process SIGSEGV, aborts the second's (SIGABRT, as a failed
# assertion does) and stops the third's (SIGSTOP); the fourth ends at its
# own time limit.
CLASS = [("dobry", GOOD), ("awaria", ENDLESS), ("przerwany", ENDLESS), ("zamrozony", ENDLESS),
         ("petla", ENDLESS), ("dobry2", GOOD)]
SIGNALS = [signal.SIGSEGV, signal.SIGABRT, signal.SIGSTOP]
TIMEOUT = 1
GRACE = 5


def children(pid):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", encoding="latin-1") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == pid and fields[0] != "Z":
            found.append(int(entry))
    return found


def disturb(process):
    """Sends SIGNALS, in turn, to each case's process that has run half a
    second (the endless ones: a right program takes milliseconds)."""
    seen = {}
    acted = set()
    pending = list(SIGNALS)
    while process.poll() is None and pending:
        now = time.monotonic()
        for pid in children(process.pid):
            seen.setdefault(pid, now)
            if pid not in acted and now - seen[pid] > 0.5:
                acted.add(pid)
                os.kill(pid, pending.pop(0))
                if not pending:
                    break
        time.sleep(0.02)


# A sanitizer's build would catch the SIGSEGV sent to a case and end it as
# an error of its own; the case must die of it, as a crash does.
SEGV_KILLS = {"ASAN_OPTIONS": ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                     "handle_segv=0"]))}


def grade(env, args, report, watch=False):
    process = subprocess.Popen([cli, "test"] + args + ["--json", report],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               env={**os.environ, **env, **SEGV_KILLS})
    watcher = threading.Thread(target=disturb, args=(process,)) if watch else None
    if watcher:
        watcher.start()
    out, err = process.communicate(timeout=120)
    if watcher:
        watcher.join()
    with open(report, encoding="utf-8") as f:
        return process.returncode, out, err, json.load(f)


def without_times(report):
    report.pop("time", None)
    for submission in report["submissions"]:
        for case in submission["cases"]:
            case.pop("time", None)
    return report


def check_isolation(work, runner, env):
    os.makedirs(work)
    suite = os.path.join(work, "s.json")
    with open(suite, "w", encoding="utf-8") as f:
        json.dump({"program": "program.prg", "timeout": TIMEOUT, "max_cycles": 10 ** 12,
                   "cases": [{"name": "a", "expect": {"x": 5}}]}, f)
    for name, program in CLASS:
        os.makedirs(os.path.join(work, name), exist_ok=True)
        with open(os.path.join(work, name, "program.prg"), "w", encoding="utf-8") as f:
            f.write(program)
    status, out, err, report = grade(
        env, [suite, "--jobs", "1"] + [os.path.join(work, n) for n, _ in CLASS],
        os.path.join(work, "raport.json"), watch=True)
    cases = {s["name"]: s["cases"][0] for s in report["submissions"]}
    wanted = {"dobry": ("passed", ""), "awaria": ("crash", "Proces zakończył się awarią"),
              "przerwany": ("crash", "Proces zakończył się awarią"),
              "zamrozony": ("timeout", f"Przekroczono czas {TIMEOUT} s, przerwano"),
              "dobry2": ("passed", "")}
    for name, (outcome, message) in wanted.items():
        got = (cases[name]["outcome"], cases[name]["message"])
        if got != (outcome, message):
            failures.append(f"{runner}: {name}: {got}, wanted {(outcome, message)}")
    # The one that ran on stopped itself, saying where.
    petla = cases["petla"]
    if petla["outcome"] != "timeout" or not petla["message"].startswith("program.prg:1: "):
        failures.append(f"{runner}: petla: {petla['outcome']} {petla['message']!r}")
    # Only the clock ended the stopped one, and not before its time.
    if not TIMEOUT + GRACE <= cases["zamrozony"]["time"] < TIMEOUT + GRACE + 10:
        failures.append(f"{runner}: zamrozony ended after {cases['zamrozony']['time']} s")
    for mark in ("awaria", "czas"):
        if mark not in out:
            failures.append(f"{runner}: the summary lacks {mark}:\n{out}")
    if status != 5:
        failures.append(f"{runner}: status {status}: {err}")
    return {name: case["outcome"] for name, case in cases.items()}


CLASSES = [
    ["zestaw.json", "zgloszenia/bledna_skladnia", "zgloszenia/bledny_rozkaz",
     "zgloszenia/brak_rozkazu", "zgloszenia/dobry", "zgloszenia/petla", "zgloszenia/zly",
     "zgloszenia/bez_etykiety", "zgloszenia/literowki"],
    ["konsola.json", "../../examples/ombra/echo.prg"],
    ["przerwanie.json", "../../examples/ombra/przerwanie.prg"],
    ["../../examples/grading/kurs.json"],
]


def check_same_reports(work):
    """The same classes through both runners: the same reports."""
    os.chdir(here)
    for args in CLASSES:
        reports = {}
        for runner, env in RUNNERS.items():
            path = os.path.join(work, f"{runner}.json")
            status, out, _, report = grade(env, args + ["--jobs", "2"], path)
            reports[runner] = (status, out, without_times(report))
        if reports["fork"] != reports["exec"]:
            failures.append(f"{args[0]}: the runners' reports differ:\n"
                            f"{json.dumps(reports['fork'], ensure_ascii=False)[:2000]}\n"
                            f"{json.dumps(reports['exec'], ensure_ascii=False)[:2000]}")


with tempfile.TemporaryDirectory() as work:
    outcomes = {runner: check_isolation(os.path.join(work, runner), runner, env)
                for runner, env in RUNNERS.items()}
    if outcomes["fork"] != outcomes["exec"]:
        failures.append(f"the runners' outcomes differ: {outcomes}")
    check_same_reports(work)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
