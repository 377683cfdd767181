#!/usr/bin/env python3
"""Every numeric bound of dorum-cli, taken just inside and just outside: the
options of run, the keys and options of test, and the script commands that
take a number. Each row names the exit status (and for a refusal the words
that must explain it); a bound moved by one, or a check turned the wrong way,
changes a status or a message here."""
import json
import os
import subprocess
import sys
import tempfile

cli, examples, runs = sys.argv[1:4]
failures = []


def check(label, args, cwd, status, text=None, stdin=None):
    result = subprocess.run([cli] + args, cwd=cwd, capture_output=True, timeout=120,
                            input=stdin, text=True)
    said = result.stdout + result.stderr
    if result.returncode not in (status if isinstance(status, tuple) else (status,)):
        failures.append(f"{label}: status {result.returncode}, wanted {status}: {said[:300]!r}")
    elif text is not None and text not in said:
        failures.append(f"{label}: no {text!r} in {said[:300]!r}")
    return result


# dorum-cli run: (program, options, status, words the output must hold).
# suma.prg takes 11 cycles; petla.prg never stops; minus.prg leaves AK and
# x at -1 on the default machine (8-bit words, 5-bit addresses).
SUMA = os.path.join(examples, "dorum", "suma.prg")
OMBRA = os.path.join(examples, "ombra", "ombra.lst")
# Taken: the run goes ahead to some end of its own, not refused as usage.
ACCEPTED = (0, 1, 3, 4, 5, 6)
RUN_ROWS = [
    # --max-cycles: from 1 up; exactly the cycles needed let the run end.
    (SUMA, ["--max-cycles", "11"], 0, None),
    (SUMA, ["--max-cycles", "10"], 3, "limit 10"),
    ("petla.prg", ["--max-cycles", "1"], 3, "limit 1 "),
    ("petla.prg", ["--max-cycles", "0"], 2, "--max-cycles wymaga dodatniej"),
    ("petla.prg", ["--max-cycles", "-1"], 2, "\"-1\""),
    ("petla.prg", ["--max-cycles", "18446744073709551615", "--time-limit", "0.2"], 3, None),
    ("petla.prg", ["--max-cycles", "18446744073709551616"], 2, "--max-cycles"),
    # --time-limit: above 0, at most a day.
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "86400"], 3, "limit 100"),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "86400.5"], 2, "najwyżej 86400"),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "86401"], 2, "\"86401\""),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "0.001"], 3, None),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "0"], 2, "--time-limit"),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "-0.5"], 2, "\"-0.5\""),
    ("petla.prg", ["--max-cycles", "100", "--time-limit", "nan"], 2, "--time-limit"),
    ("petla.prg", ["--time-limit", "0.3", "--json"], 3, "\"timeout\""),
    # --irq: lines 1 to 4, any count of cycles from 0.
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "1@0"], ACCEPTED, None),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "4@49"], ACCEPTED, None),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "0@1"], 2, "\"0@1\""),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "5@1"], 2, "linią 1-4"),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "1@-1"], 2, "\"1@-1\""),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "1@2@3"], 2, "\"1@2@3\""),
    ("petla.prg", ["--list", OMBRA, "--max-cycles", "50", "--irq", "1"], 2, "LINIA@TAKTY"),
    # --expect addresses: 0 to the last word of memory.
    ("minus.prg", ["--expect", "mem[0]=" + str(0b010_00010)], 5, None),
    ("minus.prg", ["--expect", "mem[31]=0"], 0, None),
    ("minus.prg", ["--expect", "mem[32]=0"], 2, "Adres 32"),
    ("minus.prg", ["--expect", "mem[-1]=0"], 2, None),
    # --expect values: within the width, signed down to the sign bit.
    ("minus.prg", ["--expect", "AK=255"], 0, None),
    ("minus.prg", ["--expect", "AK=-1"], 0, None),
    ("minus.prg", ["--expect", "AK=-128"], 5, "oczekiwano AK=-128, jest 255 (-1)"),
    ("minus.prg", ["--expect", "AK=256"], 2, "Wartość 256 w AK nie mieści się w 8 bitach"),
    ("minus.prg", ["--expect", "AK=-129"], 2, "Wartość -129 w AK nie mieści się w 8 bitach"),
    ("minus.prg", ["--expect", "x=255"], 0, None),
    ("minus.prg", ["--expect", "x=256"], 2, "w x nie mieści się w 8 bitach"),
    ("minus.prg", ["--expect", "x=-129"], 2, "w x nie mieści się w 8 bitach"),
    ("minus.prg", ["--expect", "A=31"], 5, "oczekiwano A=31, jest"),
    ("minus.prg", ["--expect", "A=-16"], 5, "oczekiwano A=-16, jest"),
    ("minus.prg", ["--expect", "A=32"], 2, "Wartość 32 w A nie mieści się w 5 bitach"),
    ("minus.prg", ["--expect", "A=-17"], 2, "Wartość -17 w A nie mieści się w 5 bitach"),
    ("minus.prg", ["--expect", "=5"], 2, "nie ma postaci NAZWA=WARTOŚĆ"),
    ("minus.prg", ["--expect", "AK=1,AK=255"], 5, "oczekiwano AK=1, jest 255"),
    # --set: the same names, addresses and widths.
    ("minus.prg", ["--set", "mem[31]=7", "--expect", "mem[31]=7"], 0, None),
    ("minus.prg", ["--set", "x=-128", "--expect", "AK=128"], 0, None),
    ("minus.prg", ["--set", "x=256"], 2, "nie mieści się w 8 bitach"),
    ("minus.prg", ["--set", "x=-129"], 2, "nie mieści się w 8 bitach"),
    ("minus.prg", ["--set", "=1"], 2, "nie ma postaci NAZWA=WARTOŚĆ"),
    # --stop-when values: the width, signed from the sign bit down.
    ("minus.prg", ["--stop-when", "AK=255"], 6, "Warunek zatrzymania: AK=255"),
    ("minus.prg", ["--stop-when", "AK<-128"], 0, None),
    ("minus.prg", ["--stop-when", "AK>=-128"], 6, "Warunek zatrzymania: AK>=-128"),
    ("minus.prg", ["--stop-when", "AK<-129"], 2, None),
    ("minus.prg", ["--stop-when", "mem[31]=1"], 0, None),
    ("minus.prg", ["--stop-when", "mem[32]=1"], 2, None),
    # Whole options: one program, input from one place.
    ("minus.prg", ["--input", "a", "--input-file", "minus.prg"], 2, "wykluczają się"),
    ("minus.prg", ["minus.prg"], 2, "dokładnie jeden plik"),
    (None, [], 2, "dokładnie jeden plik"),
    ("minus.prg", ["--trace", "-", "--vcd", os.devnull], 0, "\"cycle\":1"),
    ("minus.prg", ["--vcd", "-", "--trace", os.devnull], 0, "$enddefinitions"),
    ("minus.prg", ["--json", "--trace", os.devnull], 0, "\"status\": \"stopped\""),
    # The teacher's mistake before the student's, the student's before a check.
    ("brak.prg", ["--expect", "AK=256"], 2, "nie mieści się"),
    ("brak.prg", ["--irq", "2@3"], 2, "--irq wymaga maszyny z przerwaniami"),
    ("brak.prg", ["--expect", "x=1"], 1, "Nie można odczytać pliku brak.prg"),
    ("brak.prg", ["--max-cycles", "0"], 2, "--max-cycles"),
    ("blad.prg", ["--expect", "AK=1"], 1, None),
    ("petla.prg", ["--max-cycles", "5", "--stop-when", "L=0"], 6, "Warunek zatrzymania: L=0"),
]


def run_rows():
    for program, options, status, text in RUN_ROWS:
        args = ["run"] + ([program] if program else []) + options
        check(" ".join(args), args, runs, status, text)
    check("suma --max-cycles 11 --json", ["run", SUMA, "--max-cycles", "11", "--json"], runs, 0,
          "\"cycles\": 11")
    check("suma --max-cycles 11 --expect", ["run", SUMA, "--max-cycles", "11", "--expect",
                                             "z=12"], runs, 0)


# dorum-cli test: a program that passes its one case, and suites that
# differ from a good one in one key.
GOOD_PROGRAM = "start: POB x\r\nSTP\r\nx: RST 5\r\n"
GOOD_CASE = {"name": "a", "expect": {"AK": 5}}


def suite_rows(work):
    ola = os.path.join(work, "klasa", "ola")
    os.makedirs(ola)
    os.makedirs(os.path.join(work, "wzorzec"))
    for where in (ola, os.path.join(work, "wzorzec")):
        with open(os.path.join(where, "p.prg"), "w", encoding="cp1250", newline="") as f:
            f.write(GOOD_PROGRAM)
    # (top-level keys, case keys, status, words that must explain it)
    rows = [
        ({"timeout": 86400}, {}, 0, "ola"),
        ({"timeout": 86400.5}, {}, 2, "timeout: oczekiwano liczby sekund większej od 0, najwyżej 86400"),
        ({"timeout": 0.5}, {}, 0, "ola"),
        ({"timeout": 0}, {}, 2, "timeout:"),
        ({"timeout": -1}, {}, 2, "timeout:"),
        ({"max_cycles": 5}, {}, 0, "ola"),
        ({"max_cycles": 4}, {}, 5, "limit 4 "),
        ({"max_cycles": 1}, {}, 5, "limit"),
        ({"max_cycles": 0}, {}, 2, "max_cycles: oczekiwano dodatniej liczby całkowitej"),
        ({"max_cycles": 1e15}, {}, 0, "ola"),
        ({"max_cycles": 1e15 + 1}, {}, 2, "max_cycles"),
        ({"max_cycles": 2.5}, {}, 2, "max_cycles"),
        ({}, {"max_cycles": 5}, 0, "ola"),
        ({}, {"max_cycles": 4}, 5, "limit 4 "),
        ({}, {"max_cycles": 0}, 2, "max_cycles"),
        ({"reference": "wzorzec", "max_cycles": "reference*1"}, {}, 0, "ola"),
        ({"reference": "wzorzec", "max_cycles": "reference*1000000"}, {}, 0, "ola"),
        ({"reference": "wzorzec", "max_cycles": "reference*0"}, {}, 2, "reference*N"),
        ({"reference": "wzorzec", "max_cycles": "reference*1000001"}, {}, 2, "reference*N"),
        ({"reference": "wzorzec"}, {"max_cycles": "reference*1"}, 0, "ola"),
        ({}, {"max_cycles": "reference*2"}, 2, "wymaga klucza \"reference\""),
        ({}, {"points": 0}, 0, "ola"),
        ({}, {"points": 1000000}, 0, "ola"),
        ({}, {"points": 1000000.5}, 2, "points: oczekiwano nieujemnej liczby"),
        ({}, {"points": -0.5}, 2, "points: oczekiwano nieujemnej liczby"),
        ({}, {"irq": ["1@0"]}, 2, "irq"),
        ({}, {"expect": "AK=5"}, 0, "ola"),
        ({}, {"expect": "=5"}, 2, "nie ma postaci NAZWA=WARTOŚĆ"),
        ({}, {"expect": {"AK": 255}}, 5, "źle"),
        ({}, {"expect": {"AK": 256}}, 2, "nie mieści się w 8 bitach"),
        ({}, {"expect": {"AK": -129}}, 2, "nie mieści się w 8 bitach"),
        ({}, {"expect": {"mem[31]": 0}}, 0, "ola"),
        ({}, {"expect": {"mem[32]": 0}}, 2, "Adres 32"),
        ({}, {"name": ""}, 2, "name: oczekiwano niepustego tekstu"),
        ({"hide_expected": True}, {}, 0, "ola"),
        ({"hide_expected": "tak"}, {}, 2, "hide_expected: oczekiwano true albo false"),
        ({}, {"input": "a", "input_file": "p.prg"}, 2, "input i input_file wykluczają się"),
        ({}, {"expect": {"AK=": 5}}, 2, "zła nazwa \"AK=\""),
        ({}, {"expect": {"A,K": 5}}, 2, "zła nazwa \"A,K\""),
        ({}, {"expect": {" ": 5}}, 2, "zła nazwa"),
        ({}, {"must_execute": ["POB"]}, 0, "ola"),
        ({}, {"must_execute": [" "]}, 2, "must_execute: oczekiwano niepustych tekstów"),
        ({}, {"must_execute": [5]}, 2, "must_execute: oczekiwano niepustych tekstów"),
    ]
    for top, case, status, text in rows:
        suite = dict({"program": "p.prg", "cases": [dict(GOOD_CASE, **case)]}, **top)
        path = os.path.join(work, "s.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(suite, f)
        check(f"test {json.dumps(top)} {json.dumps(case)}", ["test", path, ola, "--jobs", "1"],
              work, status, text)
    # --jobs: from 1 up.
    path = os.path.join(work, "s.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"program": "p.prg", "cases": [GOOD_CASE]}, f)
    check("test --jobs 1", ["test", path, ola, "--jobs", "1"], work, 0)
    check("test --jobs 64", ["test", path, ola, "--jobs", "64"], work, 0)
    check("test --jobs 0", ["test", path, ola, "--jobs", "0"], work, 2, "\"0\"")
    check("test --jobs -1", ["test", path, ola, "--jobs", "-1"], work, 2, "\"-1\"")
    check("test --jobs x", ["test", path, ola, "--jobs", "x"], work, 2, "--jobs")
    check("test without a suite", ["test"], work, 2, "podaj plik zestawu")


# dorum-cli script: commands with a number, each bound taken on both sides.
# (script, its error or None when it must succeed)
SCRIPT_ROWS = [
    ("cycle 1", None), ("cycle 0", "Liczba powtórzeń musi być dodatnia: 0"),
    ("mem 0 160\nstep 1", None), ("step 0", "Liczba powtórzeń musi być dodatnia: 0"),
    ("step -1", "Liczba powtórzeń musi być dodatnia: -1"),
    ("record\ncycle\nback 1", None), ("record\ncycle\nback 0", "Liczba powtórzeń musi być dodatnia"),
    ("record\ncycle\nback 2", None), ("record\nback 1", "Nie ma czego cofnąć"),
    ("mem 0 160\nrecord\ncycle 3\nback-step 1", None),
    ("mem 0 160\nrecord\ncycle 3\nback-step 0", "Liczba powtórzeń musi być dodatnia"),
    ("back 1", "Historia nie jest zapisywana (polecenie record)"),
    ("limit 1", None), ("limit 0", "Limit taktów musi być dodatni: 0"),
    ("limit -1", "Limit taktów musi być dodatni: -1"),
    ("tracking 0", None), ("tracking 2", None),
    ("tracking -1", "tracking 0|1|2"), ("tracking 3", "tracking 0|1|2"),
    ("mem 0", None), ("mem 65535", None),
    ("mem -1", "Adres -1 spoza zakresu 0..65535"), ("mem 65536", "Adres 65536 spoza zakresu"),
    ("mem 65535 1", None), ("mem 65536 1", "Adres 65536"),
    ("vector 1 a 3", None), ("vector 4 a 3", None),
    ("vector 0 a 3", "Numer wektora 0 spoza zakresu 1..4"),
    ("vector 5 a 3", "Numer wektora 5 spoza zakresu 1..4"),
    ("config components 0,255", None),
    ("config components 256", "Numer opcji 256 spoza zakresu 0..255"),
    ("config components -1", "Numer opcji -1 spoza zakresu 0..255"),
    ("config preset Ombra\nirq 1", None), ("config preset Ombra\nirq 4", None),
    ("config preset Ombra\nirq 0", "Nieznany numer przerwania (0)"),
    ("config preset Ombra\nirq 5", "Nieznany numer przerwania (5)"),
    ("cycle-break pob 0", None), ("cycle-break pob 2", None),
    ("cycle-break pob -1", "List index out of bounds (-1)"),
    ("cycle-break pob 3", "List index out of bounds (3)"),
    ("cycle-break stp 1", None), ("cycle-break stp 2", "List index out of bounds (2)"),
]


def script_rows():
    for script, error in SCRIPT_ROWS:
        result = subprocess.run([cli, "script", "-"], input=script + "\n", capture_output=True,
                                text=True, timeout=60)
        label = "script " + script.replace("\n", "; ")
        errors = [line for line in result.stdout.splitlines() if line.startswith("error:")]
        if error is None:
            if errors or result.returncode != 0:
                failures.append(f"{label}: {result.returncode} {errors}")
        elif result.returncode != 1 or len(errors) != 1 or error not in errors[0]:
            failures.append(f"{label}: status {result.returncode}, {errors}")


run_rows()
with tempfile.TemporaryDirectory() as work:
    suite_rows(work)
script_rows()
for failure in failures:
    print(failure)
print(f"{len(RUN_ROWS) + len(SCRIPT_ROWS)} rows and the suites, {len(failures)} failures")
sys.exit(1 if failures else 0)
