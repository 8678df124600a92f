"""The varve module against varve-batch's table, and its handling of input
that is missing, fractional, out of range or of another type."""

import csv
import math
import os
import pathlib
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
def test_missing_values_mask_the_whole_row_and_keep_order(direction):
    pd = pytest.importorskip("pandas")
    inputs = [
        [4282, None, 3021],
        np.array([4282, np.nan, 3021]),
        np.ma.array([4282, 0, 3021], mask=[False, True, False]),
        pd.Series([4282, None, 3021], dtype="Int32"),
        pd.Series([4282, pd.NA, 3021], dtype=object),
    ]
    want = convert(direction, [4282, 3021])
    for values in inputs:
        columns = convert(direction, values)
        for name, column in columns.items():
            assert np.ma.getmaskarray(column).tolist()[1], name
            assert column.tolist()[0::2] == want[name].tolist(), name


def test_warning_counts_every_fraction():
    with pytest.warns(UserWarning, match="^3 values are not whole numbers"):
        columns = varve.ne_to_am([1.5, 4282, -2.25, np.nan, 7000.01])
    assert columns["relation"].tolist() == ["invalid", "joined", "invalid", None, "invalid"]


def test_input_shapes_and_types():
    assert varve.ne_to_am(4282)["am_first"].tolist() == [4294]
    assert varve.ne_to_am(np.array([4282], dtype=np.uint64))["am_first"].tolist() == [4294]
    assert varve.ne_to_am(np.array([2**64 - 1], dtype=np.uint64))["relation"].tolist() == ["outside"]
    assert all(len(c) == 0 for c in varve.am_to_ne([]).values())
    with pytest.raises(TypeError):
        varve.ne_to_am(["4282"])
    with pytest.raises(TypeError):
        varve.ne_to_am([True])
    with pytest.raises(ValueError):
        varve.ne_to_am(np.zeros((2, 2)))
    with pytest.raises(ValueError):
        varve.links("ne-am")


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
