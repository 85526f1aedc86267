#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Every tracked source file of ours names its licence in its first line
(the second after a #! line): "// SPDX-License-Identifier: Zlib" in C++ and
.ksl files, "# SPDX-License-Identifier: Zlib" in Python, shell and CMake.

    spdx_test.py [ROOT]         list the files without the line; exit 1 if any
    spdx_test.py --add [ROOT]   write the line into the files without it

Python 3, standard library only; the files are the ones git tracks.
"""
import os
import subprocess
import sys

LINE = "SPDX-License-Identifier: Zlib"
COMMENT = {".cpp": "//", ".h": "//", ".ksl": "//", ".py": "#", ".sh": "#", ".cmake": "#"}

# Files that must stay as they are, each with the reason. A folder ends in "/".
EXCEPTIONS = {
    # The sample figures' Draw events are the editor's export, byte for byte:
    # their scenarios compare the exported clipboard with these files, and
    # LICENSE covers them.
    "editor/objects/obj_Buzzer/Draw.ksl": "editor export",
    "editor/objects/obj_Honey/Draw.ksl": "editor export",
    "editor/objects/obj_SeaDaddy/Draw.ksl": "editor export",
    "editor/objects/obj_test_export_1_1_1/Draw.ksl": "editor export",
    "editor/objects/obj_test_export_1_1_1_1/Draw.ksl": "editor export",
    # Seed inputs of the parser's fuzz target: data fed to it, not our code.
    "tests/kslc/fuzz_corpus/": "fuzz seeds",
}


def comment_for(path):
    if os.path.basename(path) == "CMakeLists.txt":
        return "#"
    return COMMENT.get(os.path.splitext(path)[1])


def excepted(path):
    return any(path == e or (e.endswith("/") and path.startswith(e)) for e in EXCEPTIONS)


def has_line(text, comment):
    lines = text.split("\n", 2)
    first = 1 if lines[0].startswith("#!") else 0
    return len(lines) > first and lines[first] == comment + " " + LINE


def add_line(text, comment):
    mark = comment + " " + LINE + "\n"
    if text.startswith("#!"):
        end = text.find("\n") + 1 or len(text)
        return text[:end] + mark + text[end:]
    return mark + text


def main(argv):
    add = "--add" in argv
    args = [a for a in argv if a != "--add"]
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    tracked = subprocess.run(["git", "-C", root, "ls-files", "-z"], capture_output=True, text=True)
    if tracked.returncode != 0:
        print("not a git checkout: " + tracked.stderr.strip())
        return 1
    paths = [p for p in tracked.stdout.split("\0") if p]
    stale = [e for e in EXCEPTIONS if not any(p == e or p.startswith(e) for p in paths)]
    missing, checked = [], 0
    for path in paths:
        comment = comment_for(path)
        full = os.path.join(root, path)
        if comment is None or excepted(path) or not os.path.isfile(full):
            continue
        checked += 1
        with open(full, encoding="utf-8", newline="") as f:
            text = f.read()
        if has_line(text, comment):
            continue
        if add:
            with open(full, "w", encoding="utf-8", newline="") as f:
                f.write(add_line(text, comment))
        else:
            missing.append(path)
    for path in missing:
        print("no licence line: " + path)
    for e in stale:
        print("exception for a file that is no longer tracked: " + e)
    print("%d files checked, %d without the line" % (checked, len(missing)))
    return 1 if missing or stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
