"""The shared table of table cases (tests/table_cases.tsv) through the varve
module, as a user would run them: each case that names a reading in its
bindings column is read as a table by Python's csv module, each converted
column becomes a Series labelled by the first column's values (an interval's
two columns, two Series for ne_span or am_span), and the results must be the
added cells of varve-batch's output, row for row, and each warning must name
the same values, by their labels, in the same words."""

import csv
import io
import json
import pathlib
import warnings

import numpy as np
import pytest

import varve

pd = pytest.importorskip("pandas")

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]
SEPARATORS = {",": ",", ";": ";", "tab": "\t"}


def table_cases():
    """The cases that apply here: (name, arguments, input, output, messages, reading)."""
    lines = (REPOSITORY / "tests" / "table_cases.tsv").read_text(encoding="ascii").splitlines()
    cases = []
    for line in [line for line in lines if line and not line.startswith("#")][1:]:
        name, arguments, given, _, output, messages, bindings = line.split("\t")
        if bindings != "-":
            reading = dict(word.split("=", 1) for word in bindings.split(" "))
            cases.append((name, arguments.split(" "), json.loads(f'"{given}"'),
                          json.loads(f'"{output}"'), json.loads(f'"{messages}"'), reading))
    return cases


def rows_of(text, reading):
    """The header and the data rows of `text`, each data row with the line it
    starts on, read as `reading` says."""
    stream = io.StringIO(text, newline="")
    skip = int(reading["skip"])
    for _ in range(skip):
        stream.readline()
    reader = csv.reader(stream, delimiter=SEPARATORS[reading["sep"]])
    rows = []
    line = skip + 1
    for row in reader:
        rows.append((line, row or [""]))
        line = skip + reader.line_num + 1
    return rows[0][1], rows[1:]


def shown(value):
    """A result as varve-batch writes it."""
    if value is None or value is pd.NA:
        return ""
    if isinstance(value, (bool, np.bool_)):
        return "true" if value else "false"
    return str(value)


def warned(messages, column, lines, what):
    """The lines a warning gives for the messages of `messages` (varve-batch's)
    about `column` (from 0): "what label: text", notes left out."""
    meant = []
    for message in messages.split("\n") if messages else []:
        where, text = message.split(": ", 1)
        if where.endswith(f", column {column + 1}") and not text.startswith("note: "):
            line = int(where.split(",")[0].removeprefix("line "))
            meant.append(f"{what} {lines[line]!r}: {text}")
    return meant


@pytest.mark.parametrize("case", table_cases(), ids=lambda case: case[0])
def test_each_table_case_gives_varve_batchs_cells_and_messages(case):
    name, arguments, given, output, messages, reading = case
    direction = arguments[0]
    _, rows = rows_of(given, reading)
    _, expected_rows = rows_of(output, reading)
    columns = [int(column) - 1 for column in reading.get("columns", "").split(",") if column]
    span = [int(column) - 1 for column in reading.get("span", "").split(",") if column]
    assert len(expected_rows) == len(rows), name
    labels = [row[0] for _, row in rows]
    lines = {line: label for (line, _), label in zip(rows, labels)}

    def series(column):
        values = [row[column] if column < len(row) else "" for _, row in rows]
        return pd.Series(values, index=labels, dtype=object)

    # Each conversion: its values, its function, what its warning names, and
    # the column its messages name.
    one = varve.ne_to_am if direction == "ne-to-am" else varve.am_to_ne
    two = varve.ne_span if direction == "ne-to-am" else varve.am_span
    conversions = [((series(column),), one, "element", column) for column in columns]
    if span:
        conversions.append(((series(span[0]), series(span[1])), two, "pair", span[0]))
    converted = []
    for values, convert, what, column in conversions:
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            frame = convert(*values)
        said = [line for warning in caught for line in str(warning.message).split("\n")
                if line.startswith(what + " ")]
        assert said == warned(messages, column, lines, what), name
        converted.append(frame)
    # The added cells end each row: the columns', then the interval's.
    total = sum(len(frame.columns) for frame in converted)
    for i, (_, expected) in enumerate(expected_rows):
        got = [shown(v) for frame in converted for v in frame.iloc[i].tolist()]
        assert got == expected[len(expected) - total:], f"{name}, row {i + 1}"


def test_the_table_cases_ran(capsys):
    with capsys.disabled():
        print(f"\ntable cases: {len(table_cases())} run")
