#!/usr/bin/env python3
"""Runs programs with --vcd and --trace at once, converts the dump with
GTKWave's vcd2fst and back with fst2vcd, and checks the dump read back
against the trace: the same cycles, the same active signals in each and the
same register values at the end of each.

Usage: check_vcd.py DORUM_CLI EXAMPLES_DIR RUNS_DIR WORK_DIR
"""
import json
import os
import shutil
import subprocess
import sys

# Each run: the folder it runs in, then its arguments. No interrupt presses:
# the trace tells only what cycles change, not what a press between them does.
RUNS = {
    "suma": ("examples", ["dorum/suma.prg"]),
    "mnozenie": ("examples", ["dorum/mnozenie.prg"]),
    "echo": ("examples", ["ombra/echo.prg", "--list", "ombra/ombra.lst", "--input=Ala."]),
    "podprogram": ("examples", ["pelt/podprogram.prg", "--list", "pelt/pelt.lst"]),
    "tablica": ("examples", ["dorum-plus/tablica.prg", "--list", "dorum-plus/dorum-plus.lst"]),
    "refused": ("runs", ["port.prg", "--list", "{examples}/ombra/ombra.lst"]),
}


class Dump:
    """A VCD file as values per variable (scope.name) per time."""

    def __init__(self, path):
        self.widths = {}
        self.times = []
        self.values = {}  # time -> {name: value or None for x}
        codes = {}
        scopes = []
        current = {}
        time = None
        with open(path, encoding="ascii") as f:
            tokens = f.read().split()
        i = 0
        while i < len(tokens):
            t = tokens[i]
            if t == "$scope":
                scopes.append(tokens[i + 2])
                i = tokens.index("$end", i) + 1
            elif t == "$upscope":
                scopes.pop()
                i += 2
            elif t == "$var":
                width, code, name = int(tokens[i + 2]), tokens[i + 3], tokens[i + 4]
                full = ".".join(scopes[1:] + [name])
                codes.setdefault(code, []).append(full)
                self.widths[full] = width
                i = tokens.index("$end", i) + 1
            elif t in ("$date", "$version", "$comment", "$timescale"):
                i = tokens.index("$end", i) + 1
            elif t in ("$enddefinitions", "$dumpvars", "$end", "$dumpall", "$dumpon", "$dumpoff"):
                i += 1 if t != "$enddefinitions" else 2
            elif t.startswith("#"):
                if time is not None:
                    self.values[time] = dict(current)
                time = int(t[1:])
                self.times.append(time)
                i += 1
            elif t[0] in "bB":
                self._set(current, codes, tokens[i + 1], t[1:])
                i += 2
            else:
                self._set(current, codes, t[1:], t[0])
                i += 1
        if time is not None:
            self.values[time] = dict(current)

    @staticmethod
    def _set(current, codes, code, text):
        value = None if "x" in text.lower() else int(text, 2)
        for name in codes[code]:
            current[name] = value


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check_run(name, cli, dirs, work):
    folder, args = RUNS[name]
    args = [a.format(**dirs) for a in args]
    vcd = os.path.join(work, name + ".vcd")
    trace = os.path.join(work, name + ".jsonl")
    subprocess.run([cli, "run"] + args + ["--vcd", vcd, "--trace", trace],
                   cwd=dirs[folder], stdout=subprocess.DEVNULL, check=False)
    fst = os.path.join(work, name + ".fst")
    back = os.path.join(work, name + ".back.vcd")
    subprocess.run(["vcd2fst", vcd, fst], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["fst2vcd", "-f", fst, "-o", back], check=True, stdout=subprocess.DEVNULL)
    ours = Dump(vcd)
    dump = Dump(back)
    with open(trace, encoding="utf-8") as f:
        cycles = [json.loads(line) for line in f]
    if not cycles:
        fail(f"{name}: the trace is empty")
    signals = [n for n in dump.widths if n.startswith("sygnaly.")]
    registers = {n.split(".", 1)[1] for n in dump.widths if n.startswith("rejestry.")}
    if set(ours.widths) != set(dump.widths):
        fail(f"{name}: vcd2fst/fst2vcd lost variables")
    known = dict(dump.values[0])
    for line in cycles:
        k = line["cycle"]
        if k not in dump.values:
            fail(f"{name}: no time {k} in the dump")
        at = dump.values[k]
        active = {n.split(".", 1)[1] for n in signals if at[n] == 1}
        traced = {s.split(" ")[0] for s in line["signals"]}
        if active != traced:
            fail(f"{name}: cycle {k}: signals {sorted(active)} in the dump, {sorted(traced)} traced")
        for reg, value in line["registers"].items():
            known["rejestry." + reg] = value
        for reg in registers:
            if at["rejestry." + reg] != known["rejestry." + reg]:
                fail(f"{name}: cycle {k}: {reg}={at['rejestry.' + reg]} in the dump, "
                     f"{known['rejestry.' + reg]} by the trace")
    last = cycles[-1]["cycle"]
    if max(dump.times) != last + 1:
        fail(f"{name}: the dump ends at {max(dump.times)}, the trace at cycle {last}")
    print(f"{name}: {len(cycles)} cycles, {len(signals)} signals, {len(registers)} registers agree")


def main():
    if len(sys.argv) != 5:
        fail(__doc__)
    cli, examples, runs, work = sys.argv[1:]
    for tool in ("vcd2fst", "fst2vcd"):
        if shutil.which(tool) is None:
            fail(f"{tool} is missing: tools/install-deps.sh installs it (package gtkwave)")
    os.makedirs(work, exist_ok=True)
    dirs = {"examples": examples, "runs": runs}
    for name in RUNS:
        check_run(name, cli, dirs, work)


if __name__ == "__main__":
    main()
