#!/usr/bin/env python3
"""Holds dorum-cli run's options in four places to one list: the options
its parser takes (the help's "Options:"), the options its help text talks
about, the options the README's sections on run describe, and those the
application's help page on dorum-cli describes."""
import re
import subprocess
import sys

cli, readme, page = sys.argv[1:4]
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
html = open(page, encoding="utf-8").read()
run_part = html[html.index("<h2>dorum-cli run</h2>"):]
on_page = set(re.findall(r"(--[a-z][\w-]+)", run_part)) - {"--help"}
on_page = {o for o in on_page if not o.startswith(("--junit", "--jobs", "--csv"))}
if taken - on_page:
    failures.append(f"the help page does not describe: {sorted(taken - on_page)}")
if on_page - taken:
    failures.append(f"the help page describes options run does not take: {sorted(on_page - taken)}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
