#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""The Debian changelog of the package, made from CHANGELOG.md.

    debian_changelog.py CHANGELOG.md VERSION MAINTAINER OUT.gz
    debian_changelog.py CHANGELOG.md VERSION --epoch

The first form writes one Debian changelog entry per released version of
CHANGELOG.md (newest first), each of its items one "*" line, compressed
like every file under /usr/share/doc (gzip -9 without a name or a time in
the header, so the same input gives the same bytes). The second prints the
release date of VERSION as seconds since 1970, which dates the manual page.

VERSION is the build's version: it must be the newest released section, so
that a version raised in the build without its release in the changelog
(or the other way round) fails the build. "Unreleased" is not in the Debian
changelog: its items are not in any version yet.
"""
import datetime
import email.utils
import gzip
import re
import sys
import textwrap

RELEASE = re.compile(r"^## \[(?P<version>[^\]]+)\] - (?P<date>\d{4}-\d{2}-\d{2})\s*$")
SECTION = re.compile(r"^## ")
GROUP = re.compile(r"^### (?P<name>.+?)\s*$")
LINK = re.compile(r"\[([^\]]+)\]\([^)]*\)")


class ChangelogError(Exception):
    pass


def plain(text):
    """Markdown inline markup taken off: links keep their text, code its letters."""
    return LINK.sub(r"\1", text).replace("`", "").replace("**", "")


def releases(lines):
    """[(version, date, [(group, item text)])] in file order."""
    found = []
    current = None
    group = None
    item = None
    for number, line in enumerate(lines, 1):
        release = RELEASE.match(line)
        if release or SECTION.match(line):
            current = None
            item = None
            if release:
                try:
                    date = datetime.date.fromisoformat(release["date"])
                except ValueError:
                    raise ChangelogError("line %d: %s is not a date" % (number, release["date"]))
                current = (release["version"], date, [])
                found.append(current)
                group = None
            continue
        if current is None:
            continue
        heading = GROUP.match(line)
        if heading:
            group = heading["name"]
            item = None
        elif line.startswith("- "):
            if group is None:
                raise ChangelogError("line %d: an item before any ### heading" % number)
            item = [group, line[2:].strip()]
            current[2].append(item)
        elif line.startswith("  ") and line.strip() and item is not None:
            item[1] += " " + line.strip()
        elif line.strip():
            item = None
    for version, _, items in found:
        if not items:
            raise ChangelogError("release %s lists no change" % version)
    return found


def debian_entry(version, date, items, maintainer):
    lines = ["mobwright (%s) unstable; urgency=medium" % version, ""]
    for group, text in items:
        lines += textwrap.wrap("%s: %s" % (group, plain(text)), width=78,
                               initial_indent="  * ", subsequent_indent="    ",
                               break_long_words=False, break_on_hyphens=False)
    stamp = datetime.datetime.combine(date, datetime.time(12, 0), tzinfo=datetime.timezone.utc)
    lines += ["", " -- %s  %s" % (maintainer, email.utils.format_datetime(stamp)), ""]
    return "\n".join(lines)


def main(argv):
    if len(argv) == 4 and argv[3] == "--epoch":
        out = None
    elif len(argv) == 5:
        maintainer, out = argv[3], argv[4]
    else:
        sys.stderr.write(__doc__)
        return 2
    path, version = argv[1], argv[2]
    with open(path, encoding="utf-8") as f:
        found = releases(f.read().splitlines())
    if not found or found[0][0] != version:
        newest = found[0][0] if found else "none"
        raise ChangelogError("%s: the newest release is %s, the build's version is %s" % (path, newest, version))
    if out is None:
        date = found[0][1]
        print(int(datetime.datetime.combine(date, datetime.time(12, 0), tzinfo=datetime.timezone.utc).timestamp()))
        return 0
    text = "\n".join(debian_entry(v, d, items, maintainer) for v, d, items in found)
    with open(out, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as z:
            z.write(text.encode("utf-8"))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except ChangelogError as error:
        sys.stderr.write("debian_changelog: %s\n" % error)
        sys.exit(1)
