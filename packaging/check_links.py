#!/usr/bin/env python3
"""Follows every link of installed documentation and fails on one that leads
nowhere:

    check_links.py [--root DIR] [--man-root DIR] FILE...

- a Markdown file (.md): each link [text](target), relative to the file's
  folder or absolute; a #fragment must name a heading of the target (the
  file itself when the target is only a fragment), as Markdown viewers make
  its anchor. A link to the network fails: nothing installed can vouch for it.
- a plain-text README (.txt): each file it lists as a folder's contents (a
  line of two spaces, a file name, two spaces or more), and each name of a
  program, page, guide or chart it mentions (.exe, .html, .md, .svg), must be
  in its folder.
- a manual page as man renders it (.man): each page it refers to, NAME(N),
  must be installed under --man-root (default: the root), and each absolute
  path it names must exist.

Absolute paths are taken below --root (default /).
"""

import argparse
import pathlib
import re
import sys
import urllib.parse

MARKDOWN_LINK = re.compile(r"\]\(([^()\s]*)\)")
NETWORK = re.compile(r"^[a-z][a-z0-9+.-]*:", re.IGNORECASE)


def slug(heading):
    """The anchor a Markdown viewer gives a heading: lowercase, punctuation
    dropped, spaces as hyphens."""
    text = re.sub(r"[^\w\- ]", "", heading.strip().lower())
    return text.replace(" ", "-")


def anchors(path):
    return {slug(line.lstrip("#")) for line in path.read_text(encoding="utf-8").splitlines()
            if re.match(r"^#{1,6} ", line)}


def below(root, target):
    """An absolute path taken below `root`."""
    return root / target.relative_to("/") if target.is_absolute() else target


def markdown(path, root):
    found = []
    for target in MARKDOWN_LINK.findall(path.read_text(encoding="utf-8")):
        if NETWORK.match(target):
            found.append(f"{path}: a link to the network, {target}")
            continue
        where, _, fragment = target.partition("#")
        where = urllib.parse.unquote(where)
        if not where:
            linked = path
        elif where.startswith("/"):
            linked = below(root, pathlib.Path(where))
        else:
            linked = path.parent / where
        if not linked.exists():
            found.append(f"{path}: {target} leads nowhere ({linked} is not there)")
        elif fragment and (linked.suffix != ".md" or fragment not in anchors(linked)):
            found.append(f"{path}: {target}: {linked} has no heading #{fragment}")
    return found


def plain_text(path):
    found = []
    text = path.read_text(encoding="utf-8")
    listed = re.findall(r"^  (\S+\.\w+) {2,}", text, re.MULTILINE)
    named = re.findall(r"\b[\w.-]+\.(?:exe|html|md|svg)\b", text)
    for name in sorted(set(listed + named)):
        if not (path.parent / name).exists():
            found.append(f"{path}: names {name}, which is not in {path.parent}")
    return found


def manual(path, root, man_root):
    found = []
    text = path.read_text(encoding="utf-8")
    for name, section in sorted(set(re.findall(r"\b([a-z][\w.-]*)\((\d)\)", text))):
        page = man_root / f"usr/share/man/man{section}/{name}.{section}.gz"
        if not page.exists():
            found.append(f"{path}: refers to {name}({section}), and {page} is not there")
    for named in sorted(set(re.findall(r"(?<![\w.])(/(?:usr|etc|opt)/[^\s,;:()]+)", text))):
        named = named.rstrip(".")
        if not below(root, pathlib.Path(named)).exists():
            found.append(f"{path}: names {named}, which is not there")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default="/")
    parser.add_argument("--man-root")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    root = pathlib.Path(args.root)
    man_root = pathlib.Path(args.man_root) if args.man_root else root
    found = []
    for name in args.files:
        path = pathlib.Path(name)
        if path.suffix == ".md":
            found += markdown(path, root)
        elif path.suffix == ".txt":
            found += plain_text(path)
        elif path.suffix == ".man":
            found += manual(path, root, man_root)
        else:
            found.append(f"{path}: not Markdown, a plain-text README or a rendered manual page")
    if found:
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"check_links: every link of {len(args.files)} files leads somewhere")
    return 0


if __name__ == "__main__":
    sys.exit(main())
