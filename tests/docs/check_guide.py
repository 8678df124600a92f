#!/usr/bin/env python3
"""Checks every number of the user guide (docs/guide.md) against the programs:

    check_guide.py --batch build/varve-batch --convert build/varve-convert
                   [--guide docs/guide.md] [--chart docs/chart.svg] [--mutations]

The guide holds numbers in three forms, each checked its own way:

- ```console blocks (see blocks.py): each command is run, in a temporary
  folder with the programs on PATH, and must print what the guide shows.
- Tables: each table is known by its header row and recomputed from
  `varve-batch table` in both directions (and the prompts of varve-convert);
  it must be equal cell for cell. A table the script does not know fails.
- Prose: a number may only appear as an NE-LC, NE-UC or AM mention ("NE-LC
  3021", "AM 3021-3022") or as a count of a span ("701 NE varves", "714 AM
  varves", "116 years", "13 splits", "3 joins"), and every sentence that holds
  one must name NE and AM numbers that are linked: each NE mention with each
  AM mention, a range being the link's whole run, a single number lying
  within it; or the two are a span and the span it converts to (NE-LC
  3000-3700 and AM 3000-3713; AM 6245-6300 and NE-UC 6562-6617, an AM span
  only where that sequence covers all of it). Each count must be that of a
  span named in its sentence: its NE varves, its AM varves (years), or the
  splits or joins inside it. Any other number in the prose fails, since
  nothing would check it.

docs/chart.svg must be what `varve-batch chart` writes. With --mutations, the
script also proves itself: it changes each number of the guide in turn by one
and expects every such change to be caught.
"""

import argparse
import collections
import csv
import io
import os
import pathlib
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import blocks  # noqa: E402

Link = collections.namedtuple("Link", "sequence relation ne_first ne_last am_first am_last false")


class Programs:
    """The programs' answers, each asked once."""

    def __init__(self, batch, convert):
        self.batch = batch
        self.convert = convert
        self.bin = str(pathlib.Path(batch).resolve().parent)
        self._runs = {}
        self.tables = {d: self._table(d) for d in ("ne-to-am", "am-to-ne")}
        self.links = sorted({link for d in self.tables for _, link in self.tables[d]})
        # Each number's link in one NE sequence: (sequence, number) -> Link.
        self.from_ne = {(link.sequence, n): link for n, link in self.tables["ne-to-am"]}
        self.from_am = {(link.sequence, n): link for n, link in self.tables["am-to-ne"]}
        session = subprocess.run([convert], input="1\n2700\n1\n2\n2700\n0\n", text=True,
                                 stdout=subprocess.PIPE, check=True).stdout
        self.prompts = {
            "NE-LC": re.search(r"\(LC\) varves - NE (\d+-\d+)", session).group(1),
            "NE-UC": re.search(r"\(UC\) varves - NE (\d+-\d+)", session).group(1),
            "AM": re.search(r"^\s*AM (\d+-\d+)\s*$", session, re.M).group(1),
        }

    def _table(self, direction):
        """The rows of `varve-batch table DIRECTION`: (input, Link)."""
        out = subprocess.run([self.batch, "table", direction, "--format", "csv"], text=True,
                             stdout=subprocess.PIPE, check=True).stdout
        rows = []
        for r in csv.DictReader(io.StringIO(out)):
            rows.append((int(r["input"]), Link(
                r["sequence"], r["relation"], int(r["ne_first"]), int(r["ne_last"]),
                int(r["am_first"]), int(r["am_last"]), r["false_couplets"] == "true")))
        return rows

    def run(self, command, folder):
        """What a console command prints, standard error included."""
        if command not in self._runs:
            env = dict(os.environ, PATH=f"{self.bin}:{os.environ.get('PATH', '')}")
            done = subprocess.run(["bash", "-c", command], cwd=folder, env=env, text=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self._runs[command] = blocks.normalized(done.stdout)
        return self._runs[command]


def span(first, last):
    """A number or a run as the guide writes it."""
    return str(first) if first == last else f"{first}-{last}"


def runs(numbers):
    """Consecutive runs of sorted numbers, as (first, last)."""
    found = []
    for n in numbers:
        if found and n == found[-1][1] + 1:
            found[-1][1] = n
        else:
            found.append([n, n])
    return [tuple(r) for r in found]


def accepted(p):
    """The accepted ranges: NE-LC, NE-UC and AM, as (first, last)."""
    ne = p.tables["ne-to-am"]
    am = p.tables["am-to-ne"]
    result = {}
    for sequence in ("LC", "UC"):
        numbers = [n for n, link in ne if link.sequence == sequence]
        result["NE-" + sequence] = (min(numbers), max(numbers))
    numbers = [n for n, _ in am]
    result["AM"] = (min(numbers), max(numbers))
    return result


def table_ranges(p):
    ranges = accepted(p)
    return [[name, span(*ranges[name]), p.prompts[name]] for name in ("NE-LC", "NE-UC", "AM")]


def table_splits_and_joins(p):
    def special(direction):
        return sorted({link for _, link in p.tables[direction]
                       if link.relation != "corresponds" or link.false},
                      key=lambda link: (link.sequence, link.ne_first))

    ne, am = special("ne-to-am"), special("am-to-ne")
    if ne != am:
        raise ValueError("the two directions list different splits and joins")
    return [[link.sequence, span(link.ne_first, link.ne_last), span(link.am_first, link.am_last),
             link.relation, "yes" if link.false else "no"] for link in ne]


def table_overlap(p):
    ne = p.tables["ne-to-am"]
    low = min(link.am_first for _, link in ne if link.sequence == "UC")
    high = max(link.am_last for _, link in ne if link.sequence == "LC")
    back = collections.defaultdict(dict)
    for n, link in p.tables["am-to-ne"]:
        if low <= n <= high:
            back[n][link.sequence] = link
    groups = []
    for n in range(low, high + 1):
        key = tuple(sorted(back[n]))
        if groups and groups[-1][0] == key and groups[-1][2] == n - 1:
            groups[-1][2] = n
            groups[-1][3].append(back[n])
        else:
            groups.append([key, n, n, [back[n]]])
    rows = []
    for key, first, last, links in groups:
        cells = [span(first, last)]
        for sequence in ("LC", "UC"):
            if sequence in key:
                cells.append(span(min(l[sequence].ne_first for l in links),
                                  max(l[sequence].ne_last for l in links)))
            else:
                cells.append("none")
        rows.append(cells)
    return rows


def table_converting_back(p):
    """The numbers whose conversion does not convert back to them, in runs."""
    ne_links = collections.defaultdict(list)
    for n, link in p.tables["ne-to-am"]:
        ne_links[(link.sequence, n)].append(link)
    am_links = collections.defaultdict(list)
    for n, link in p.tables["am-to-ne"]:
        am_links[n].append(link)
    ranges = accepted(p)
    rows = []

    # NE numbers: the AM numbers they give, and what those give back.
    lost = collections.defaultdict(list)
    for (sequence, n), links in sorted(ne_links.items()):
        ams = [a for link in links for a in range(link.am_first, link.am_last + 1)]
        if not any(b.sequence == sequence and b.ne_first <= n <= b.ne_last
                   for a in ams for b in am_links[a]):
            lost[sequence].append(n)
    for sequence in ("LC", "UC"):
        for first, last in runs(lost[sequence]):
            ams = [a for n in range(first, last + 1) for link in ne_links[(sequence, n)]
                   for a in range(link.am_first, link.am_last + 1)]
            back = [b for a in ams for b in am_links[a]]
            others = {b.sequence for b in back}
            if len(others) != 1:
                raise ValueError(f"NE-{sequence} {first}-{last} converts back to {others}")
            other = others.pop()
            rows.append([f"NE-{sequence} {span(first, last)}", f"AM {span(min(ams), max(ams))}",
                         f"NE-{other} {span(min(b.ne_first for b in back), max(b.ne_last for b in back))}"
                         " only"])

    # AM numbers: the NE numbers they give, and whether those are accepted.
    outside = []
    for a, links in sorted(am_links.items()):
        back = [(link.sequence, n) for link in links for n in range(link.ne_first, link.ne_last + 1)]
        if not any(any(b.am_first <= a <= b.am_last for b in ne_links.get(key, [])) for key in back):
            outside.append(a)
    for first, last in runs(outside):
        nes = [(link.sequence, link.ne_first, link.ne_last) for a in range(first, last + 1)
               for link in am_links[a]]
        sequences = {s for s, _, _ in nes}
        if len(sequences) != 1:
            raise ValueError(f"AM {first}-{last} converts to {sequences}")
        sequence = sequences.pop()
        end = ranges["NE-" + sequence][1]
        rows.append([f"AM {span(first, last)}",
                     f"NE-{sequence} {span(min(n[1] for n in nes), max(n[2] for n in nes))}",
                     f"nothing: outside, NE-{sequence} ends at {end}"])
    return rows


TABLES = {
    ("Chronology", "Accepted numbers", "Shown in the prompts"): table_ranges,
    ("Sequence", "NE", "AM", "Relation", "False couplets"): table_splits_and_joins,
    ("AM", "NE-LC", "NE-UC"): table_overlap,
    ("You start with", "It converts to", "Which converts back to"): table_converting_back,
}

MENTION = re.compile(r"\b(NE-LC|NE-UC|AM) (\d+)(?:-(\d+))?\b")


def cells(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


def prose_and_tables(text):
    """The guide's prose paragraphs (with their first line's number) and its
    tables (header, rows, line), leaving out code blocks."""
    paragraphs, tables = [], []
    lines = text.split("\n")
    i = 0
    paragraph, start = [], 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("```"):
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                i += 1
            i += 1
            continue
        if line.startswith("|"):
            start_line = i + 1
            header = cells(line)
            rows = []
            i += 2
            while i < len(lines) and lines[i].startswith("|"):
                rows.append(cells(lines[i]))
                i += 1
            tables.append((tuple(header), rows, start_line))
            continue
        if line.strip():
            if not paragraph:
                start = i + 1
            paragraph.append(line)
        elif paragraph:
            paragraphs.append((start, " ".join(paragraph)))
            paragraph = []
        i += 1
    if paragraph:
        paragraphs.append((start, " ".join(paragraph)))
    return paragraphs, tables


def within(first, last, link_first, link_last):
    """A mention against a link's run: a range (`last` given) must be the
    whole run, a single number must lie within it."""
    if last is None:
        return link_first <= first <= link_last
    return (first, last) == (link_first, link_last)


def linked(p, ne, am):
    """True when the NE mention and the AM mention are one link."""
    (sequence, ne_first, ne_last), (_, am_first, am_last) = ne, am
    return any(link.sequence == sequence[3:]
               and within(ne_first, ne_last, link.ne_first, link.ne_last)
               and within(am_first, am_last, link.am_first, link.am_last) for link in p.links)


def span_of(p, ne, am):
    """The span that the NE mention and the AM mention are, the one converting
    to the other, from the tables' rows: (NE varves, AM varves, splits, joins)
    inside it, and which of the first two pins the span down when an end of
    the one converted cuts a correction (a join for NE spans, a split for AM
    spans), else None; None alone when they are not a span and its
    conversion."""
    sequence = ne[0][3:]
    ne_first, ne_last = ne[1], ne[1] if ne[2] is None else ne[2]
    am_first, am_last = am[1], am[1] if am[2] is None else am[2]
    if ne_first > ne_last or am_first > am_last:
        return None
    first, last = p.from_ne.get((sequence, ne_first)), p.from_ne.get((sequence, ne_last))
    if first and last and (first.am_first, last.am_last) == (am_first, am_last):
        inside = [l for l in p.links if l.sequence == sequence
                  and l.ne_last >= ne_first and l.ne_first <= ne_last]
        cut = first.ne_first != ne_first or last.ne_last != ne_last
        pinned = 0 if cut else None
    else:
        covered = [p.from_am.get((sequence, a)) for a in range(am_first, am_last + 1)]
        if not all(covered) or (covered[0].ne_first, covered[-1].ne_last) != (ne_first, ne_last):
            return None
        inside = [l for l in p.links if l.sequence == sequence
                  and l.am_last >= am_first and l.am_first <= am_last]
        cut = covered[0].am_first != am_first or covered[-1].am_last != am_last
        pinned = 1 if cut else None
    counts = (ne_last - ne_first + 1, am_last - am_first + 1,
              sum(l.relation == "split" for l in inside),
              sum(l.relation == "joined" for l in inside))
    return counts, pinned


COUNT = re.compile(r"\b(\d+) (NE varves?|AM varves?|years?|splits?|joins?)\b")
# Which item of span_of's result a count names, by the count's first word.
COUNTED = {"NE": 0, "AM": 1, "year": 1, "years": 1, "split": 2, "splits": 2, "join": 3,
           "joins": 3}


def written(first, last):
    """A mention as written."""
    return str(first) if last is None else f"{first}-{last}"


def problems(text, p, folder):
    """Everything in the guide's text that the programs contradict."""
    found = []
    for block in blocks.blocks(text):
        if block.kind != "console":
            if re.search(r"\d", "\n".join(block.lines)):
                found.append(f"line {block.line}: a {block.kind} block with numbers")
            continue
        for step in blocks.console_steps(block):
            actual = p.run(step.command, folder)
            if not blocks.matches(step.output, actual):
                found.append(f"line {block.line}: {step.command}\n"
                             + blocks.difference(step.output, actual))
    paragraphs, tables = prose_and_tables(text)
    for header, rows, line in tables:
        recipe = TABLES.get(header)
        if recipe is None:
            found.append(f"line {line}: a table this script does not know: {header}")
            continue
        expected = recipe(p)
        if rows != expected:
            wrong = next((i for i, (a, b) in enumerate(zip(rows, expected)) if a != b),
                         min(len(rows), len(expected)))
            got = " | ".join(rows[wrong]) if wrong < len(rows) else "no row"
            want = " | ".join(expected[wrong]) if wrong < len(expected) else "no row"
            found.append(f"line {line + wrong + 2}: the table's row is {got!r}, the programs "
                         f"give {want!r}")
    for line, paragraph in paragraphs:
        for sentence in re.split(r"(?<=[.!?])\s+", paragraph):
            mentions = []
            for m in MENTION.finditer(sentence):
                first = int(m.group(2))
                last = int(m.group(3)) if m.group(3) else None
                mentions.append((m.group(1), first, last))
            counts = [(int(m.group(1)), COUNTED[m.group(2).split()[0]])
                      for m in COUNT.finditer(sentence)]
            rest = COUNT.sub("", MENTION.sub("", sentence))
            if re.search(r"\d", rest):
                found.append(f"paragraph at line {line}: a number that is neither an NE-LC, "
                             f"NE-UC or AM mention nor a span's count: {sentence}")
            nes = [m for m in mentions if m[0] != "AM"]
            ams = [m for m in mentions if m[0] == "AM"]
            if mentions and not (nes and ams):
                found.append(f"paragraph at line {line}: a sentence that names only one "
                             f"chronology's numbers, which nothing checks: {sentence}")
            spans = []
            for ne in nes:
                for am in ams:
                    pair = f"{ne[0]} {written(ne[1], ne[2])} and AM {written(am[1], am[2])}"
                    counted = span_of(p, ne, am)
                    if linked(p, ne, am):
                        if counted:
                            spans.append(counted[0])
                    elif counted is None:
                        found.append(f"paragraph at line {line}: {pair} are neither linked nor "
                                     f"a span and its conversion: {sentence}")
                    else:
                        # An end that cuts a correction converts like its
                        # neighbours: the count of the side given pins it.
                        spans.append(counted[0])
                        item = counted[1]
                        if item is not None and (counted[0][item], item) not in counts:
                            found.append(f"paragraph at line {line}: {pair} are a span whose "
                                         f"ends cut a correction, so the sentence must give "
                                         f"its count of {('NE', 'AM')[item]} varves: {sentence}")
            for count, item in counts:
                if not any(s[item] == count for s in spans):
                    found.append(f"paragraph at line {line}: the count {count} is not that of a "
                                 f"span the sentence names: {sentence}")
    return found


def mutations(text):
    """The guide with each number changed by one, in turn."""
    for m in re.finditer(r"\d+", text):
        changed = str(int(m.group()) + 1).zfill(len(m.group()))
        yield m.start(), text[:m.start()] + changed + text[m.end():]


def main():
    here = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser()
    parser.add_argument("--batch", required=True)
    parser.add_argument("--convert", required=True)
    parser.add_argument("--guide", default=str(here / "docs" / "guide.md"))
    parser.add_argument("--chart", default=str(here / "docs" / "chart.svg"))
    parser.add_argument("--mutations", action="store_true")
    args = parser.parse_args()
    p = Programs(args.batch, args.convert)
    text = pathlib.Path(args.guide).read_text()
    with tempfile.TemporaryDirectory() as folder:
        found = problems(text, p, folder)
        chart = subprocess.run([args.batch, "chart"], stdout=subprocess.PIPE, check=True).stdout
        if pathlib.Path(args.chart).read_bytes() != chart:
            found.append(f"{args.chart} is not what `varve-batch chart` writes: "
                         f"write it anew with varve-batch chart > {args.chart}")
        if found:
            print("\n".join(found), file=sys.stderr)
            return 1
        count = len(re.findall(r"\d+", text))
        print(f"check_guide: every number of the guide agrees with the programs ({count} numbers)")
        if args.mutations:
            survivors = []
            for at, changed in mutations(text):
                if not problems(changed, p, folder):
                    line = text.count("\n", 0, at) + 1
                    survivors.append(f"line {line}: {text.split(chr(10))[line - 1]}")
            if survivors:
                print("a number changed by one that nothing catches:\n" + "\n".join(survivors),
                      file=sys.stderr)
                return 1
            print(f"check_guide: each of the {count} numbers changed by one is caught")
    return 0


if __name__ == "__main__":
    sys.exit(main())
