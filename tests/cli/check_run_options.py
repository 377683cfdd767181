#!/usr/bin/env python3
"""Holds dorum-cli run's options in three places to one list: the options
its parser takes (the help's "Options:"), the options its help text talks
about, and the options the README's sections on run describe."""
import re
import subprocess
import sys

cli, readme = sys.argv[1:3]
help_text = subprocess.run([cli, "run", "--help"], capture_output=True, text=True).stdout
listed = help_text[help_text.index("Options:"):help_text.index("Arguments:")]
description = help_text[:help_text.index("Options:")] + help_text[help_text.index("Arguments:"):]
taken = set(re.findall(r"^\s+(?:-\w, )?(--[\w-]+)", listed, re.M)) - {"--help"}
told = set(re.findall(r"(--[a-z][\w-]+)", description))
text = open(readme, encoding="utf-8").read()
section = text[text.index("## dorum-cli"):text.index("## Grading a course")]
documented = set(re.findall(r"(--[a-z][\w-]+)", section)) - {"--help"}
failures = []
if not taken:
    failures.append("no options found in the help")
if told - taken:
    failures.append(f"the help talks of options the parser does not take: {sorted(told - taken)}")
if taken - documented:
    failures.append(f"the README does not describe: {sorted(taken - documented)}")
stray = {o for o in documented - taken if not o.startswith(("--junit", "--jobs", "--csv"))}
if stray:
    failures.append(f"the README describes options run does not take: {sorted(stray)}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
