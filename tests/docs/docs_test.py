# SPDX-License-Identifier: Zlib
"""Checks of the program's documentation.

  docs_test.py options COMMANDLINE README PAGESOURCE
      The options the runner accepts (the names its command-line parser
      compares arguments with) are exactly those that the README's "Running
      it" section (its "Options:" paragraph) and the manual page's OPTIONS
      section list.
  docs_test.py render PAGE
      groff renders the generated manual page without a warning.
  docs_test.py version PROGRAM VERSION
      PROGRAM --version prints "Mobwright Studio VERSION" and ends with 0,
      with no display to open a window on.
"""
import os
import re
import subprocess
import sys


def section(text, heading, level):
    """The lines under `heading` up to the next heading of the same level."""
    marker = "#" * level + " "
    lines = text.splitlines()
    start = lines.index(marker + heading) + 1
    end = next((i for i in range(start, len(lines)) if lines[i].startswith(marker)), len(lines))
    return "\n".join(lines[start:end])


def accepted_options(commandline_source):
    return set(re.findall(r'strcmp\(arg, "(--?[A-Za-z]+)"\)', commandline_source))


def readme_options(readme):
    # The paragraph of "Running it" that starts with "Options:"; each option
    # is written in backquotes there: `-frames N`, `-noaudio`.
    paragraphs = section(readme, "Running it", 2).split("\n\n")
    options = next((p for p in paragraphs if p.startswith("Options:")), "")
    return set(re.findall(r"`(--?[A-Za-z]+)[ `]", options))


def page_options(page_source):
    # Each option's entry starts a line with its bold name(s):
    # *-output* _file_, *-debugoutput* _file_
    names = set()
    for line in section(page_source, "OPTIONS", 1).splitlines():
        if line.startswith("*-"):
            names.update(re.findall(r"\*(--?[A-Za-z]+)\*", line))
    return names


def compare(what, listed, accepted):
    problems = []
    for name in sorted(accepted - listed):
        problems.append(f"{what} does not list {name}, which the runner accepts")
    for name in sorted(listed - accepted):
        problems.append(f"{what} lists {name}, which the runner does not accept")
    return problems


def check_options(commandline, readme, page):
    read = lambda path: open(path, encoding="utf-8").read()
    accepted = accepted_options(read(commandline))
    problems = compare("the README's \"Options:\" paragraph", readme_options(read(readme)), accepted)
    problems += compare("the manual page's OPTIONS section", page_options(read(page)), accepted)
    return problems


def check_render(page):
    run = subprocess.run(["groff", "-man", "-ww", "-z", page], capture_output=True, text=True)
    if run.returncode != 0 or run.stdout or run.stderr:
        return [f"groff -man -ww -z {page} (exit {run.returncode}):\n{run.stdout}{run.stderr}"]
    return []


def check_version(program, version):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = subprocess.run([program, "--version"], capture_output=True, text=True, timeout=20, env=env)
    expected = f"Mobwright Studio {version}\n"
    if run.returncode != 0 or run.stdout != expected or run.stderr:
        return [f"{program} --version (exit {run.returncode}) printed {run.stdout!r} and {run.stderr!r}, "
                f"expected {expected!r} and exit 0"]
    return []


def main():
    checks = {"options": check_options, "render": check_render, "version": check_version}
    problems = checks[sys.argv[1]](*sys.argv[2:])
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
