"""The varve module against varve-batch's table and the shared table of cell
cases, its handling of input that is missing, fractional, out of range, text,
categorical or of another type, and its public face: names, version and the
examples of its docstrings."""

import csv
import doctest
import io
import json
import math
import os
import pathlib
import re
import subprocess
import warnings

import numpy as np
import pytest

import varve

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]
NUMBER_COLUMNS = ("ne_first", "ne_last", "am_first", "am_last")


@pytest.fixture(scope="module", params=["ne-to-am", "am-to-ne"])
def batch_table(request):
    """The direction and the rows of `varve-batch table DIRECTION`."""
    program = pathlib.Path(os.environ.get("VARVE_BATCH", REPOSITORY / "build" / "varve-batch"))
    if not program.exists():
        pytest.fail(f"{program} not found: build it first (cmake --workflow --preset default) "
                    "or name it in VARVE_BATCH")
    text = subprocess.run([str(program), "table", request.param], check=True,
                          capture_output=True, text=True).stdout
    return request.param, list(csv.DictReader(text.splitlines(), delimiter="\t"))


def expected_columns(direction, rows):
    """What each accepted number's columns must hold, from the table's rows:
    {number: {column: value}}; a sequence with no link is absent."""
    expected = {}
    for row in rows:
        n = int(row["input"])
        flag = row["false_couplets"] == "true"
        if direction == "ne-to-am":
            assert n not in expected, f"NE {n} has two links"
            expected[n] = {"sequence": row["sequence"], "relation": row["relation"],
                           "false_couplets": flag,
                           **{c: int(row[c]) for c in NUMBER_COLUMNS}}
        else:
            side = row["sequence"].lower()
            columns = expected.setdefault(n, {"false_couplets": False})
            assert f"{side}_relation" not in columns, f"AM {n} has two {side} links"
            columns[f"{side}_relation"] = row["relation"]
            columns[f"{side}_first"] = int(row["ne_first"])
            columns[f"{side}_last"] = int(row["ne_last"])
            columns["false_couplets"] = columns["false_couplets"] or flag
    return expected


def convert(direction, values):
    return (varve.ne_to_am if direction == "ne-to-am" else varve.am_to_ne)(values)


def as_lists(result):
    """{column: list} of a dict of masked arrays or of a DataFrame, with every
    missing value as None."""
    if isinstance(result, dict):
        return {name: column.tolist() for name, column in result.items()}
    import pandas as pd
    return {name: [None if v is pd.NA else v for v in column.tolist()]
            for name, column in result.items()}


def warning_lines(f, *args):
    """The lines of the one warning that f(*args) gives."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        f(*args)
    assert len(caught) == 1
    return str(caught[0].message).split("\n")


def test_every_accepted_number_as_varve_batch_gives_it(batch_table):
    direction, rows = batch_table
    expected = expected_columns(direction, rows)
    numbers = np.array(sorted(expected), dtype=np.int64)
    columns = convert(direction, numbers)
    for name, column in columns.items():
        assert len(column) == len(numbers)
        for n, value in zip(numbers.tolist(), column.tolist()):
            assert value == expected[n].get(name), f"{direction} {n}: {name}"


def test_links_are_varve_batch_table(batch_table):
    direction, rows = batch_table
    table = varve.links(direction)
    got = [{name: str(column[i]).lower() if name == "false_couplets" else str(column[i])
            for name, column in table.items()} for i in range(len(table["input"]))]
    assert got == rows


EDGES = [
    # direction, value, relation (of each sequence for am-to-ne)
    ("ne-to-am", 2499, "outside"),
    ("ne-to-am", 2500, "corresponds"),
    ("ne-to-am", 6460, "corresponds"),
    ("ne-to-am", 6461, "outside"),
    ("ne-to-am", 6559, "outside"),
    ("ne-to-am", 9000, "corresponds"),
    ("ne-to-am", 9001, "outside"),
    ("ne-to-am", 2**31 + 2500, "outside"),
    ("ne-to-am", 2**70, "outside"),
    ("ne-to-am", -(2**63), "outside"),
    ("ne-to-am", 1e300, "outside"),
    ("ne-to-am", 4282.0, "joined"),
    ("ne-to-am", 4282.5, "invalid"),
    ("ne-to-am", math.inf, "invalid"),
    ("am-to-ne", 2499, "outside"),
    ("am-to-ne", 8701, "outside"),
    ("am-to-ne", -math.inf, "invalid"),
    ("am-to-ne", 0.1, "invalid"),
    ("ne-to-am", "99999999999999999999", "outside"),
    ("ne-to-am", "-99999999999999999999", "outside"),
    ("ne-to-am", "\u00a03000.0 ", "corresponds"),
    ("am-to-ne", "4282?", "invalid"),
]


@pytest.mark.parametrize("direction,value,relation", EDGES)
def test_edges(direction, value, relation):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        columns = convert(direction, [value])
    assert len(caught) == (relation == "invalid")
    names = ["relation"] if direction == "ne-to-am" else ["lc_relation", "uc_relation"]
    for name in names:
        assert columns[name].tolist() == [relation]
    linked = relation not in ("outside", "invalid")
    for name, column in columns.items():
        if name not in names:
            assert bool(np.ma.getmaskarray(column)[0]) != linked, name


@pytest.mark.parametrize("direction", ["ne-to-am", "am-to-ne"])
def test_missing_values_give_an_empty_row_in_place(direction):
    pd = pytest.importorskip("pandas")
    inputs = [
        [4282, None, 3021],
        ["4282", "", "3021"],
        np.array([4282, np.nan, 3021]),
        np.ma.array([4282, 0, 3021], mask=[False, True, False]),
        np.ma.array(["4282", "x", "3021"], mask=[False, True, False]),
        pd.Series([4282, None, 3021], dtype="Int32"),
        pd.Series([4282, pd.NA, 3021], dtype=object),
        pd.Series(["4282", np.nan, "3021"], dtype=object),
        pd.Series(["4282", None, "3021"], dtype="string"),
        pd.Series(["4282", None, "3021"], dtype="category"),
    ]
    want = as_lists(convert(direction, [4282, 3021]))
    for values in inputs:
        got = as_lists(convert(direction, values))
        for name, column in got.items():
            assert column[1] is None, (name, values)
            assert column[0::2] == want[name], (name, values)


def test_warning_counts_the_invalid_values_and_shows_the_first_five():
    values = [1.5, 4282, -2.25, np.nan, -math.inf]
    assert warning_lines(varve.ne_to_am, values) == [
        "3 values are not whole numbers; their relation is 'invalid'",
        "element 0: not a whole number: '1.5'",
        "element 2: not a whole number: '-2.25'",
        "element 4: not a whole number: '-inf'"]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        relations = varve.ne_to_am(values)["relation"].tolist()
    assert relations == ["invalid", "joined", "invalid", None, "invalid"]
    values = ["3000", "4,282", None, "ca. 4282", "x\x01\u00e9", "\udcff1", "7" * 40 + "x",
              "a", "b"]
    assert warning_lines(varve.am_to_ne, values) == [
        "7 values are not whole numbers; their relation is 'invalid'",
        "element 1: not a whole number: '4,282' "
        "(a thousands separator? write 4282 without one to convert it)",
        "element 3: not a whole number: 'ca. 4282' "
        "(4282 marked uncertain: write 4282 alone to convert it)",
        "element 4: not a whole number: 'x\\x01\\xC3\\xA9'",
        "element 5: not a whole number: '\\xFF1'",
        f"element 6: not a whole number: '{'7' * 32}...'",
        "and 2 more"]


def cell_cases():
    """The cases of the table that every front end runs which apply here (no
    decimal comma): (cell, expected kind, hint, number, line)."""
    cases = []
    lines = (REPOSITORY / "tests" / "cell_cases.tsv").read_text(encoding="ascii").splitlines()
    for line in [line for line in lines if line and not line.startswith("#")][1:]:
        cell, where, expected = line.split("\t")
        if where in ("all", "plain"):
            kind, *rest = expected.split(" ")
            hint = rest[0] if len(rest) == 2 else ""
            number = int(rest[-1]) if rest else None
            cases.append((json.loads(f'"{cell}"'), kind, hint, number, line))
    return cases


HINTS = {"thousands": "(a thousands separator? write {0} without one to convert it)",
         "uncertain": "({0} marked uncertain: write {0} alone to convert it)"}


@pytest.mark.parametrize("direction", ["ne-to-am", "am-to-ne"])
@pytest.mark.parametrize("dtype", ["object", "string"])
def test_every_cell_case_reads_as_the_engine_reads_a_cell(direction, dtype, capsys):
    pd = pytest.importorskip("pandas")
    cases = cell_cases()
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rows = as_lists(convert(direction, pd.Series([c[0] for c in cases], dtype=dtype)))
    relations = [name for name in rows if name.endswith("relation")]
    for i, (cell, kind, hint, number, line) in enumerate(cases):
        row = {name: column[i] for name, column in rows.items()}
        if kind == "number":
            assert row == {name: column[0] for name, column in
                           as_lists(convert(direction, [number])).items()}, line
        elif kind == "empty":
            assert all(value is None for value in row.values()), line
        else:
            assert [row[name] for name in relations] == ["invalid"] * len(relations), line
            said = warning_lines(convert, direction, [cell])[1]
            if hint:
                assert HINTS[hint].format(number) in said, line
            else:
                assert "convert it" not in said, line
    with capsys.disabled():
        print(f"\ncell cases: {len(cases)} run, {direction}, {dtype} Series")


def test_input_shapes_and_types():
    assert varve.ne_to_am(4282)["am_first"].tolist() == [4294]
    assert varve.ne_to_am("4282")["am_first"].tolist() == [4294]
    assert varve.ne_to_am(np.array(["4282"]))["am_first"].tolist() == [4294]
    assert varve.ne_to_am([np.int64(4282), np.float32(4282)])["am_first"].tolist() == [4294] * 2
    assert varve.ne_to_am(np.array([4282], dtype=np.uint64))["am_first"].tolist() == [4294]
    assert varve.ne_to_am(np.array([2**64 - 1], dtype=np.uint64))["relation"].tolist() == ["outside"]
    assert varve.ne_to_am(["4282", 2**70])["relation"].tolist() == ["joined", "outside"]
    assert all(len(c) == 0 for c in varve.am_to_ne([]).values())
    pd = pytest.importorskip("pandas")
    for bad in ([b"4282"], np.array([b"4282"]), [True], ["4282", True], [np.bool_(True)],
                [object()], [4282 + 0j], np.array(["2020-01-01"], dtype="datetime64[D]"),
                pd.Series([True, None], dtype="boolean"), pd.Series([pd.Period("2020")])):
        with pytest.raises(TypeError, match="must be numbers or text"):
            varve.ne_to_am(bad)
    for bad in (np.zeros((2, 2)), pd.DataFrame({"ne": [4282]})):
        with pytest.raises(ValueError, match="one-dimensional"):
            varve.ne_to_am(bad)
    with pytest.raises(ValueError):
        varve.links("ne-am")


def test_a_categorical_is_read_by_its_labels():
    pd = pytest.importorskip("pandas")
    # Codes 1, 0, -1, 1: never taken for the numbers.
    numbers = pd.Series([4282, 3021, None, 4282], dtype="category")
    assert as_lists(varve.ne_to_am(numbers)) == as_lists(varve.ne_to_am([4282, 3021, None, 4282]))
    labels = pd.Series(pd.Categorical(["3021", "4282?"], categories=["x", "4282?", "3021"]))
    assert warning_lines(varve.ne_to_am, labels)[1].startswith(
        "element 1: not a whole number: '4282?' (4282 marked uncertain")


@pytest.mark.parametrize("index", ["filtered", "unsorted", "text"])
def test_a_series_gives_a_frame_that_joins_back_to_its_rows(index):
    pd = pytest.importorskip("pandas")
    texts = ["3021", "4282?", None, "4282", "7000", "3021.0"]
    deep = pd.DataFrame({"ne_varve": texts})
    if index == "filtered":
        deep = deep[deep["ne_varve"] != "4282"]
    elif index == "unsorted":
        deep.index = [5, 0, 3, 1, 4, 2]
    else:
        deep.index = ["S6", "S2", "S3", "S1", "S5", "S4"]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        lists = as_lists(varve.ne_to_am(texts))
        frame = varve.ne_to_am(deep["ne_varve"])
        joined = [deep.join(frame), deep.join(varve.to_frame(varve.ne_to_am(deep["ne_varve"])))]
    want = {text: {name: column[i] for name, column in lists.items()}
            for i, text in enumerate(texts)}
    assert list(frame.index) == list(deep.index)
    assert dict(frame.dtypes) == dict(varve.to_frame(varve.ne_to_am([3021])).dtypes)
    for result in joined:
        for label, row in result.iterrows():
            got = {name: None if value is pd.NA else value for name, value in row.items()}
            assert got == {"ne_varve": got["ne_varve"], **want[got["ne_varve"]]}, label


@pytest.mark.parametrize("index, named", [
    ([8, 3], "element 3:"),  # A frame filtered and sorted: its labels, not positions.
    (["HB-08", "HB-02"], "element 'HB-02':"),
    ([("core A", 2.5), ("core B", 7.0)], "element ('core B', 7.0):"),
    ([2.5, 7.0], "element 7.0:"),
])
def test_a_series_warning_names_each_value_by_its_index_label(index, named):
    pd = pytest.importorskip("pandas")
    values = pd.Series(["3021", "4282?"], index=pd.Index(index, tupleize_cols=False),
                       dtype=object)
    said = warning_lines(varve.ne_to_am, values)
    assert said[1].startswith(f"{named} not a whole number: '4282?'"), said
    tops = pd.Series(["5700", "5700"], index=values.index, dtype=object)
    bottoms = pd.Series(["5580", None], index=values.index, dtype=object)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        varve.ne_span(tops, bottoms)
    assert str(caught[0].message).split("\n")[1].startswith(named.replace("element", "pair"))


def test_to_frame_has_nullable_columns():
    pd = pytest.importorskip("pandas")
    frame = varve.to_frame(varve.am_to_ne([3000, None, 5691]), index=["a", "b", "c"])
    assert list(frame.columns) == ["lc_relation", "lc_first", "lc_last", "uc_relation",
                                   "uc_first", "uc_last", "false_couplets"]
    assert str(frame["lc_first"].dtype) == "Int32"
    assert str(frame["lc_relation"].dtype) == "string"
    assert str(frame["false_couplets"].dtype) == "boolean"
    assert frame.loc["c", "lc_first"] == 5672 and frame.loc["c", "false_couplets"]
    assert frame.loc["b"].isna().all()
    assert frame.loc["a", "uc_relation"] is pd.NA
    assert varve.to_frame(frame) is frame
    assert list(varve.to_frame(frame, index=[7, 8, 9]).index) == [7, 8, 9]


def test_only_the_public_names_show_and_every_public_function_is_among_them():
    assert dir(varve) == sorted(varve.__all__ + ["__version__"])
    defined = [name for name, value in vars(varve).items()
               if not name.startswith("_") and getattr(value, "__module__", None) == "varve"]
    assert sorted(defined) == sorted(varve.__all__)
    star = {}
    exec("from varve import *", star)
    assert sorted(name for name in star if name != "__builtins__") == sorted(varve.__all__)


def test_the_version_is_the_projects():
    project = (REPOSITORY / "CMakeLists.txt").read_text()
    assert varve.__version__ == re.search(r"project\(varve-convert VERSION ([0-9.]+)",
                                          project).group(1)


def test_the_docstrings_examples_give_what_they_show():
    pytest.importorskip("pandas")
    examples = [test for test in doctest.DocTestFinder().find(varve) if test.examples]
    assert {test.name for test in examples} == {"varve"} | {f"varve.{name}"
                                                           for name in varve.__all__}
    report = io.StringIO()
    runner = doctest.DocTestRunner()
    for test in examples:
        runner.run(test, out=report.write)
    assert runner.failures == 0, report.getvalue()
