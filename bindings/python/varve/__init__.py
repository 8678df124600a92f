"""Convert varve numbers between the New England (NE) and North American (AM)
varve chronologies, a whole column at a time.

    >>> import varve
    >>> cols = varve.ne_to_am([3021, 4282, 9500])
    >>> cols["relation"].tolist(), cols["am_first"].tolist()
    (['split', 'joined', 'outside'], [3021, 4294, None])

`ne_to_am` and `am_to_ne` give one result row per value, in order, blanks and
values that are not numbers included, with the columns of varve-batch's
column mode. Given a pandas Series they give a pandas DataFrame with the
Series' index, so that the results join back to their own rows:

    deep.join(varve.ne_to_am(deep["ne_varve"]))

Given anything else (a list, a numpy array) they give a dict of numpy masked
arrays, one element per value; a missing number is masked, never a made-up
one. `to_frame` turns such a dict into a pandas DataFrame with nullable
columns (and gives a DataFrame back as it is).

Values may be numbers or text, as a column read from a file comes: pandas
gives text once one cell is, say, "4282?". Text is read as varve-batch reads
a cell: "3021" and "3021.0" are 3021, blanks around are ignored, "" is
missing, and "4,282" or "4282?" are not whole numbers. A categorical is read
by its labels. None, NaN and pd.NA are missing. Values that are not whole
numbers get the relation "invalid" and a warning that counts them and shows
the first five, with their positions (from 0) and what was perhaps meant.
"""

import numbers
import sys
import warnings

import numpy as np

from . import _engine

__all__ = ["ne_to_am", "am_to_ne", "links", "to_frame"]

_RELATIONS = np.array(_engine.RELATIONS, dtype=object)
_SEQUENCES = np.array(_engine.SEQUENCES, dtype=object)
_NO_RELATION = len(_engine.RELATIONS) - 1
_NO_SEQUENCE = len(_engine.SEQUENCES) - 1
_INVALID = _engine.RELATIONS.index("invalid")
_LINKED = _engine.RELATIONS.index("outside")  # Codes below it are links.
_INT32_LIMIT = 2**31


def ne_to_am(values):
    """The AM varves of NE numbers, one row per value, with the columns
    sequence, relation, ne_first, ne_last, am_first, am_last and
    false_couplets: a pandas DataFrame with the index of a Series given, else
    a dict of masked arrays."""
    return _convert("ne-to-am", values)


def am_to_ne(values):
    """The NE varves of AM numbers, one row per value, with the columns
    lc_relation, lc_first, lc_last, uc_relation, uc_first, uc_last and
    false_couplets; the columns of a sequence with no link are missing. A
    pandas DataFrame with the index of a Series given, else a dict of masked
    arrays."""
    return _convert("am-to-ne", values)


def links(direction):
    """Every link of every accepted number of `direction` ("ne-to-am" or
    "am-to-ne"), as `varve-batch table` gives them: a dict of arrays with the
    columns input, sequence, relation, ne_first, ne_last, am_first, am_last
    and false_couplets."""
    table = _engine.links_table(direction)
    table["sequence"] = _SEQUENCES[table["sequence"]]
    table["relation"] = _RELATIONS[table["relation"]]
    table["false_couplets"] = table["false_couplets"].astype(bool)
    return table


def to_frame(columns, index=None):
    """A pandas DataFrame of the dict given by `ne_to_am`, `am_to_ne` or
    `links`: Int32 columns for numbers, string columns for text, boolean for
    false_couplets, with missing values as <NA>. A DataFrame (as `ne_to_am`
    and `am_to_ne` give for a Series) comes back as it is, with `index` if
    given."""
    import pandas as pd

    if isinstance(columns, pd.DataFrame):
        return columns if index is None else columns.set_axis(index, axis=0)
    frame = {}
    for name, column in columns.items():
        mask = np.ma.getmaskarray(column)
        data = np.ma.getdata(column)
        if data.dtype.kind in "iu":
            frame[name] = pd.arrays.IntegerArray(data.astype(np.int32, copy=False), mask)
        elif data.dtype.kind == "b":
            frame[name] = pd.arrays.BooleanArray(data, mask)
        else:
            text = data.astype(object, copy=True)
            text[mask] = pd.NA
            frame[name] = pd.arrays.StringArray(text)
    return pd.DataFrame(frame, index=index)


def _convert(direction, values):
    index = _series_index(values)
    array = _as_array(values)
    if array.dtype.kind in "iu":
        if array.dtype.kind == "u":
            array = np.minimum(array, _INT32_LIMIT)
        raw, invalid, details = _engine.convert_integers(direction,
                                                         array.astype(np.int64, copy=False))
    elif array.dtype.kind == "f":
        raw, invalid, details = _engine.convert_floats(direction,
                                                       array.astype(np.float64, copy=False))
    else:
        raw, invalid, details = _engine.convert_objects(direction, array, _scalar)
    columns = _masked(raw)
    if invalid:
        message = ("1 value is not a whole number; its relation is 'invalid'" if invalid == 1
                   else f"{invalid} values are not whole numbers; their relation is 'invalid'")
        warnings.warn(f"{message}\n{details}", stacklevel=3)
    return columns if index is None else to_frame(columns, index=index)


def _series_index(values):
    """The index of a pandas Series, else None."""
    pd = sys.modules.get("pandas")
    return values.index if pd is not None and isinstance(values, pd.Series) else None


def _as_array(values):
    """`values` as a one-dimensional numpy array: of integers or floats (with
    missing values as NaN) for numbers, else of objects (text, numbers and
    missing values, each read by the engine)."""
    if isinstance(values, np.ma.MaskedArray):
        mask = np.ma.getmaskarray(values)
        data = np.ma.getdata(values)
        if data.dtype.kind in "iuf":
            values = np.where(mask, np.nan, data.astype(np.float64))
        else:
            values = np.where(mask, None, data.astype(object))
    elif hasattr(values, "to_numpy") and hasattr(values, "isna"):
        # A pandas Series, Index or extension array: nullable columns keep
        # their NA, and text or categorical ones give their values (for a
        # categorical, its labels, never its codes).
        if values.ndim != 1:
            raise ValueError(f"values must be one-dimensional, not of shape {values.shape}")
        if values.dtype.kind == "O":
            values = values.to_numpy(dtype=object)
        elif values.dtype.kind in "iuf" and values.isna().any():
            values = values.to_numpy(dtype=np.float64, na_value=np.nan)
        else:
            values = values.to_numpy()
    given_array = isinstance(values, np.ndarray)
    array = np.atleast_1d(np.asarray(values))
    if array.dtype.kind in "US":
        # Text: a list keeps each element as given (numpy would have made
        # every element text); a numpy array of str gives them as str.
        array = array.astype(object) if given_array else np.atleast_1d(
            np.array(values, dtype=object))
    if array.ndim != 1:
        raise ValueError(f"values must be one-dimensional, not of shape {array.shape}")
    if array.dtype.kind in "iufO":
        return array
    raise TypeError(f"values must be numbers or text, not {array.dtype}")


def _scalar(x):
    """An element of an object array that is neither text nor a plain int or
    float, as None (missing), an int or a float; TypeError for anything that
    is no number."""
    if _is_pandas_na(x):
        return None
    if isinstance(x, (bool, np.bool_)) or not isinstance(x, numbers.Real):
        raise TypeError(f"values must be numbers or text, not {type(x).__name__} {x!r:.40}")
    if isinstance(x, numbers.Integral):
        return int(x)
    return float(x)


def _is_pandas_na(x):
    pd = sys.modules.get("pandas")
    return pd is not None and (x is pd.NA or x is pd.NaT)


def _masked(raw):
    """The engine's code arrays as masked arrays of text, numbers and flags."""
    columns = {}
    if "relation" in raw:
        relation = raw["relation"]
        no_link = relation >= _LINKED
        columns["sequence"] = np.ma.array(_SEQUENCES[raw["sequence"]],
                                          mask=raw["sequence"] == _NO_SEQUENCE)
        columns["relation"] = np.ma.array(_RELATIONS[relation], mask=relation == _NO_RELATION)
        for name in ("ne_first", "ne_last", "am_first", "am_last"):
            columns[name] = np.ma.array(raw[name], mask=no_link)
    else:
        for side in ("lc", "uc"):
            relation = raw[f"{side}_relation"]
            no_link = relation >= _LINKED
            columns[f"{side}_relation"] = np.ma.array(_RELATIONS[relation],
                                                      mask=relation == _NO_RELATION)
            columns[f"{side}_first"] = np.ma.array(raw[f"{side}_first"], mask=no_link)
            columns[f"{side}_last"] = np.ma.array(raw[f"{side}_last"], mask=no_link)
    flag = raw["false_couplets"]
    columns["false_couplets"] = np.ma.array(flag == 1, mask=flag == _engine.NO_FLAG)
    return columns
