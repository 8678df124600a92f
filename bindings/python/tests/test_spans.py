"""Spans against varve-batch's account of each span (`varve-batch span`) and
its --lines mode, over a sample of ends in both directions; and rows that never
shift, whatever the pairs hold."""

import csv
import itertools
import os
import pathlib
import re
import subprocess
import warnings

import numpy as np
import pytest

import varve

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]


@pytest.fixture(scope="module")
def program():
    path = pathlib.Path(os.environ.get("VARVE_BATCH", REPOSITORY / "build" / "varve-batch"))
    if not path.exists():
        pytest.fail(f"{path} not found: build it first (cmake --workflow --preset default) "
                    "or name it in VARVE_BATCH")
    return str(path)


def ends(a, b):
    return [int(a), int(b if b else a)]


def batch_span(program, direction, first, last):
    """What `varve-batch span DIRECTION FIRST LAST` says, read back: None and
    {sequence: part} for a converted span, each part with its ends, durations,
    corrections (as the account words them) and the NE varves of the
    corrections its ends cut; or the one-line reason it is not converted."""
    done = subprocess.run([program, "span", direction, str(first), str(last)], text=True,
                          capture_output=True)
    if done.returncode != 0:
        assert done.returncode == 1 and not done.stdout
        said = done.stderr.removeprefix("varve-batch: ").splitlines()
        return said[0].removesuffix(":") + ": " + "; ".join(s.strip() for s in said[1:]), {}
    said = done.stdout.splitlines()
    from_ne = direction == "ne-to-am"
    headline = (r"NE-(LC|UC) (\d+)(?:-(\d+))? spans AM (\d+)(?:-(\d+))?" if from_ne else
                r"AM (\d+)(?:-(\d+))? spans NE-(LC|UC) (\d+)(?:-(\d+))?( \(.*\))?")
    parts = {}
    i = 0
    while i < len(said):
        m = re.fullmatch(headline, said[i])
        assert m, said[i]
        g = m.groups()
        sequence = g[0] if from_ne else g[2]
        counts = [int(n) for n in re.findall(r"\d+", said[i + 1])]
        part = {"ne": ends(g[1], g[2]) if from_ne else ends(g[3], g[4]),
                "am": ends(g[3], g[4]) if from_ne else ends(g[0], g[1]),
                "ne_varves": counts[0 if from_ne else 1], "am_varves": counts[1 if from_ne else 0],
                "corrections": [], "first_cut": None, "last_cut": None}
        i += 2
        if said[i].startswith("  corrections inside ("):
            n = int(re.search(r"\d+", said[i]).group())
            part["corrections"] = [line.strip() for line in said[i + 1:i + 1 + n]]
            i += n
        i += 1
        # An end note names the correction by its NE varves: "the join NE-LC
        # 5672-5676" from NE spans, "one half of NE-LC 3021" from AM spans.
        while i < len(said) and said[i].startswith("  the "):
            end = "first_cut" if said[i].startswith("  the first") else "last_cut"
            part[end] = re.search(r"NE-(LC|UC) [0-9-]+(?=, split| *$)", said[i]).group()
            i += 2
        parts[sequence] = part
    return None, parts


def correction_words(rows):
    """The account's words for each correction in the columns of
    span_corrections."""
    def run(a, b):
        return str(a) if a == b else f"{a}-{b}"

    return [f"NE-{s} {run(nf, nl)} {'split' if r == 'split' else 'joined'} into AM "
            f"{run(af, al)}{', false annual couplets' if f else ''}"
            for s, r, nf, nl, af, al, f in zip(*(rows[c] for c in (
                "sequence", "relation", "ne_first", "ne_last", "am_first", "am_last",
                "false_couplets")))]


# Ends on splits, inside joins, on the false couplets, at the edges of the
# overlap and of the ranges, and outside them.
SAMPLE_ENDS = {
    "ne-to-am": [2400, 2500, 3021, 3700, 4282, 5594, 5673, 5676, 5680, 6460, 6461, 6560, 6745,
                 9000, 9001],
    "am-to-ne": [2499, 2500, 3021, 3022, 3713, 4294, 5691, 6244, 6245, 6357, 6468, 6469, 8700,
                 8701],
}


def lists(columns):
    return {name: column.tolist() for name, column in columns.items()}


@pytest.mark.parametrize("direction", sorted(SAMPLE_ENDS))
def test_every_pair_of_sample_ends_is_what_varve_batch_span_says(program, direction):
    sample = SAMPLE_ENDS[direction]
    # Each pair in order, and a few reversed.
    pairs = [(a, b) for a, b in itertools.product(sample, repeat=2) if a <= b or b == sample[3]]
    first, last = [p[0] for p in pairs], [p[1] for p in pairs]
    convert = varve.ne_span if direction == "ne-to-am" else varve.am_span
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rows = lists(convert(first, last))
    fixes = lists(varve.span_corrections(first, last, direction))
    for i, (a, b) in enumerate(pairs):
        label = f"{direction} {a} {b}"
        row = {name: column[i] for name, column in rows.items()}
        mine = {name: [v for v, p in zip(column, fixes["pair"]) if p == i]
                for name, column in fixes.items()}
        reason, parts = batch_span(program, direction, a, b)
        assert row["not_converted"] == reason, label
        if reason:
            assert all(v is None for name, v in row.items() if name != "not_converted"), label
            assert not mine["pair"], label
            continue
        for sequence in ("LC", "UC"):
            part = parts.get(sequence)
            p = "" if direction == "ne-to-am" else sequence.lower() + "_"
            if direction == "ne-to-am":
                if part is None:
                    continue
                assert row["sequence"] == sequence, label
                got = [row["ne_first"], row["ne_last"], row["am_first"], row["am_last"]]
            else:
                got = [row[p + c] for c in ("first", "last", "am_first", "am_last")]
                if part is None:
                    assert all(v is None for n, v in row.items() if n.startswith(p)), label
                    continue
            assert got == part["ne"] + part["am"], label
            assert [row[p + "ne_varves"], row[p + "am_varves"]] == [part["ne_varves"],
                                                                    part["am_varves"]], label
            words = part["corrections"]
            assert row[p + "splits"] == sum(" split into " in w for w in words), label
            assert row[p + "joins"] == sum(" joined into " in w for w in words), label
            own = {n: [v for v, s in zip(c, mine["sequence"]) if s == sequence]
                   for n, c in mine.items()}
            assert correction_words(own) == words, label
            for end in ("first_cut", "last_cut"):
                cut = row[p + end]
                if part[end] is None:
                    assert cut is None, (label, end)
                    continue
                assert cut.startswith(part[end] + " "), (label, end)
                marks = {end.removesuffix("_cut"), "both"}
                marked = {n: [v for v, m in zip(c, own["cut"]) if m in marks]
                          for n, c in own.items()}
                assert correction_words(marked) == [cut], (label, end)
        couplets = any("false annual couplets" in w for part in parts.values()
                       for w in part["corrections"])
        assert row["false_couplets"] == couplets, label


@pytest.mark.parametrize("direction", ["ne-to-am", "am-to-ne"])
def test_span_cells_read_as_varve_batch_lines_reads_them(program, direction, tmp_path):
    cells = ["5580-5700", " 3000 \u2013 3700 ", "5700-5580", "3000", "6200-6300", "6400-6600",
             "2400-2600", "9001-9100", "5673-5673", "x"]
    path = tmp_path / "cells.txt"
    path.write_text("\n".join(cells) + "\n", encoding="utf-8")
    done = subprocess.run([program, direction, "--lines", "--format", "csv", str(path)],
                          text=True, capture_output=True)
    expected = [row[1:] for row in csv.reader(done.stdout.splitlines())][1:]
    # The line mode's notes (a sequence covering part of an AM span, an end
    # inside a join) are not warned of here: ne_span and am_span give them.
    said = [re.sub(r"^varve-batch: line (\d+):", lambda m: f"element {int(m[1]) - 1}:", line)
            for line in done.stderr.splitlines() if ": note: " not in line]
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        columns = (varve.ne_to_am if direction == "ne-to-am" else varve.am_to_ne)(cells)
    got = [["" if v is None else str(v).lower() if isinstance(v, bool) else str(v)
            for v in row] for row in zip(*lists(columns).values())]
    assert got == expected
    message = str(caught[0].message).split("\n")
    assert [line for line in message if line.startswith("element ")] == said
    assert sum(bool(re.match(r"\d+ spans? (is|are) not converted", line))
               for line in message) == 1


def test_rows_never_shift():
    pd = pytest.importorskip("pandas")
    first = [5580, None, 5700, 3000, 6400, 5673]
    last = [5700, 5700, 5580, np.nan, 6600, 5674]
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        rows = lists(varve.ne_span(first, last))
    assert str(caught[0].message).split("\n")[:3] == [
        "3 pairs are not converted; their not_converted column says why",
        "pair 1: the first end is empty: an incomplete interval",
        "pair 3: the last end is empty: an incomplete interval"]
    # The top first is the same interval; one end missing is an incomplete one.
    assert rows["am_first"] == [5599, None, 5599, None, None, 5691]
    assert [v is None for v in rows["not_converted"]] == [True, False, True, False, False, True]
    assert all(column[i] is None for name, column in rows.items() for i in (1, 3)
               if name != "not_converted")
    # Each row is the row of its own pair alone, wherever it stands.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        for i in range(len(first)):
            alone = lists(varve.ne_span([first[i]], [last[i]]))
            assert {n: c[i] for n, c in rows.items()} == {n: c[0] for n, c in alone.items()}
    assert varve.span_corrections(first, last, "ne-to-am")["pair"].tolist() == [
        0, 0, 0, 0, 2, 2, 2, 2, 5]
    # Series keep their index, and so do the corrections' pairs.
    frame = pd.DataFrame({"top": ["3022", "x", None], "bottom": [3712, 3712, 3712]},
                         index=["S3", "S1", "S2"])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        spans = varve.am_span(frame["top"], frame["bottom"])
    assert list(spans.index) == ["S3", "S1", "S2"]
    assert spans["lc_first"].tolist()[0] == 3021
    assert spans.loc["S2"].drop("not_converted").isna().all()
    assert spans.loc["S2", "not_converted"] == "the first end is empty: an incomplete interval"
    assert str(spans["lc_first"].dtype) == "Int32"
    assert spans.loc["S1", "not_converted"] == "the first end is not a whole number: 'x'"
    fixes = varve.span_corrections(frame["top"], frame["bottom"], "am-to-ne")
    assert set(fixes["pair"]) == {"S3"} and len(fixes) == 13
    assert len(varve.am_span([], [])["lc_first"]) == 0
    assert list(varve.am_span(3000, 3000))[20:] == ["false_couplets", "not_converted"]


ONE_PAIR = "1 pair is not converted; its not_converted column says why"
TWO_PAIRS = "2 pairs are not converted; their not_converted column says why"


@pytest.mark.parametrize("convert, first, last, warned, positions", [
    (varve.ne_span, [3000, 5580], [3700, 5700], None, []),
    # The top, the larger number, first: converted.
    (varve.ne_span, [5700], [5580], None, []),
    # An incomplete interval among converted ones, and a pair without either
    # end, which is no interval and not warned of.
    (varve.ne_span, [3000, 5700, None, None], [3700, 5580, 5700, None], ONE_PAIR, [2]),
    (varve.ne_span, [6400, 5700, 3000], [6600, None, 3700], TWO_PAIRS, [0, 1]),
    (varve.am_span, [3000, None], [3713, np.nan], None, []),
    (varve.am_span, [3022, 9000], [3712, 9100], ONE_PAIR, [1]),
    (varve.am_span, ["x"], [3712], ONE_PAIR, [0]),
    (varve.am_span, ["x", 3713, 3000], [3712, None, 3100], TWO_PAIRS, [0, 1]),
])
def test_pairs_not_converted_are_warned_of(convert, first, last, warned, positions):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        rows = lists(convert(first, last))
    said = [str(w.message).split("\n") for w in caught]
    assert [lines[0] for lines in said] == ([warned] if warned else [])
    assert [int(re.match(r"pair (\d+): ", line)[1]) for lines in said for line in lines[1:]] == (
        positions)
    assert [i for i, why in enumerate(rows["not_converted"]) if why is not None] == positions


def test_ends_of_different_lengths_or_indexes_are_refused():
    pd = pytest.importorskip("pandas")
    with pytest.raises(ValueError, match="same length, one end of each span, not 2 and 1"):
        varve.ne_span([3000, 4000], [5000])
    with pytest.raises(ValueError, match="not 3 and 2"):
        varve.span_corrections([1, 2, 3], [1, 2], "ne-to-am")
    with pytest.raises(ValueError, match="different indexes"):
        varve.ne_span(pd.Series([3000], index=["a"]), pd.Series([3700], index=["b"]))
    with pytest.raises(ValueError):
        varve.span_corrections([3000], [3700], "ne-am")
    with pytest.raises(TypeError, match="must be numbers or text"):
        varve.am_span([3000], [True])
