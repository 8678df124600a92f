#!/usr/bin/env python3
"""Checks CITATION.cff, the file from which code hosts and citation managers
take how to cite the software:

    check_citation.py [--citation CITATION.cff] [--project CMakeLists.txt] [--mutations]

It must parse as YAML and hold what the Citation File Format requires
(cff-version, message, title, authors, each author a person's names or an
entity's name) and the version of the CMake project, so that a new release
is not cited by the old version's number. With --mutations, the script also
proves itself: each of a list of faults, made in turn to a copy, must be
caught.
"""

import argparse
import copy
import pathlib
import re
import sys

try:
    import yaml
except ImportError:
    sys.exit("check_citation: needs PyYAML (Debian: apt-get install python3-yaml)")

REQUIRED = ("cff-version", "message", "title", "authors", "version")


def problems(cff, project_version):
    """What is wrong with the parsed CITATION.cff `cff`."""
    if not isinstance(cff, dict):
        return ["it is not a mapping of keys to values"]
    found = [f"it lacks {key}" for key in REQUIRED if key not in cff]
    for key in ("cff-version", "message", "title", "version"):
        if key in cff and (not isinstance(cff[key], str) or not cff[key].strip()):
            found.append(f"{key} is not text: {cff[key]!r}")
    if re.fullmatch(r"1\.2\.\d+", str(cff.get("cff-version", ""))) is None:
        found.append(f"cff-version is {cff.get('cff-version')!r}, not 1.2.x")
    authors = cff.get("authors")
    if not isinstance(authors, list) or not authors:
        found.append("authors is not a list of at least one author")
    else:
        for author in authors:
            names = isinstance(author, dict) and (author.get("name") or author.get("family-names"))
            if not names or not isinstance(names, str):
                found.append(f"an author has neither a name nor family-names: {author!r}")
    if "version" in cff and cff["version"] != project_version:
        found.append(f"version is {cff['version']!r}, but the project is {project_version}")
    return found


def mutations(cff):
    """Copies of `cff` with one fault each, and what the fault is."""
    for key in REQUIRED:
        yield f"no {key}", {k: v for k, v in cff.items() if k != key}
    changes = {
        "another version": ("version", "0.0.1"),
        "a version as a number": ("version", 1.0),
        "an empty message": ("message", " "),
        "an older format": ("cff-version", "1.1.0"),
        "no authors": ("authors", []),
        "an author without a name": ("authors", [{"email": "someone@varve-convert.invalid"}]),
        "authors as text": ("authors", "varve-convert developers"),
    }
    for fault, (key, value) in changes.items():
        changed = copy.deepcopy(cff)
        changed[key] = value
        yield fault, changed


def main():
    here = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser()
    parser.add_argument("--citation", default=str(here / "CITATION.cff"))
    parser.add_argument("--project", default=str(here / "CMakeLists.txt"))
    parser.add_argument("--mutations", action="store_true")
    args = parser.parse_args()
    version = re.search(r"project\(varve-convert VERSION ([0-9.]+)",
                        pathlib.Path(args.project).read_text()).group(1)
    try:
        cff = yaml.safe_load(pathlib.Path(args.citation).read_text(encoding="utf-8"))
    except yaml.YAMLError as error:
        print(f"{args.citation} is not YAML: {error}", file=sys.stderr)
        return 1
    found = problems(cff, version)
    if found:
        print("\n".join(f"{args.citation}: {problem}" for problem in found), file=sys.stderr)
        return 1
    print(f"check_citation: {args.citation} holds what the format requires, version {version}")
    if args.mutations:
        missed = [fault for fault, changed in mutations(cff) if not problems(changed, version)]
        if missed:
            print("faults that nothing catches: " + ", ".join(missed), file=sys.stderr)
            return 1
        print("check_citation: each fault made to a copy is caught")
    return 0


if __name__ == "__main__":
    sys.exit(main())
