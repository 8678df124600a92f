"""Convert varve numbers between the New England (NE) and North American (AM)
varve chronologies, a whole column at a time.

    >>> import varve
    >>> cols = varve.ne_to_am([3021, 4282, 9500])
    >>> cols["relation"].tolist(), cols["am_first"].tolist()
    (['split', 'joined', 'outside'], [3021, 4294, None])

`ne_to_am` and `am_to_ne` give a dict of numpy masked arrays, one element per
value, with the columns of varve-batch's column mode; a missing number is
masked, never a made-up one. `to_frame` turns such a dict into a pandas
DataFrame with nullable columns.
"""

import numbers
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
    """The AM varves of NE numbers: a dict of masked arrays, one element per
    value, with the columns sequence, relation, ne_first, ne_last, am_first,
    am_last and false_couplets."""
    return _convert("ne-to-am", values)


def am_to_ne(values):
    """The NE varves of AM numbers: a dict of masked arrays, one element per
    value, with the columns lc_relation, lc_first, lc_last, uc_relation,
    uc_first, uc_last and false_couplets; the columns of a sequence with no
    link are masked."""
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
    false_couplets, with missing values as <NA>."""
    import pandas as pd

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
    array = _as_array(values)
    if array.dtype.kind in "iu":
        if array.dtype.kind == "u":
            array = np.minimum(array, _INT32_LIMIT)
        raw = _engine.convert_integers(direction, array.astype(np.int64, copy=False))
    else:
        raw = _engine.convert_floats(direction, array.astype(np.float64, copy=False))
    columns = _masked(raw)
    relation = raw["relation"] if "relation" in raw else raw["lc_relation"]
    invalid = int(np.count_nonzero(relation == _INVALID))
    if invalid:
        message = ("1 value is not a whole number; its relation is 'invalid'" if invalid == 1
                   else f"{invalid} values are not whole numbers; their relation is 'invalid'")
        warnings.warn(message, stacklevel=3)
    return columns


def _as_array(values):
    """`values` as a one-dimensional numpy array of integers or floats, with
    missing values (None, NaN, pandas' NA, masked elements) as NaN."""
    if isinstance(values, np.ma.MaskedArray):
        mask = np.ma.getmaskarray(values)
        values = np.where(mask, np.nan, np.ma.getdata(values).astype(np.float64))
    elif hasattr(values, "to_numpy") and hasattr(values, "isna"):
        # A pandas Series or extension array: nullable columns keep their NA.
        if values.dtype.kind == "O":
            values = values.to_numpy()
        elif values.isna().any():
            values = values.to_numpy(dtype=np.float64, na_value=np.nan)
        else:
            values = values.to_numpy()
    array = np.atleast_1d(np.asarray(values))
    if array.ndim != 1:
        raise ValueError(f"values must be one-dimensional, not of shape {array.shape}")
    if array.dtype.kind in "iuf":
        return array
    if array.dtype.kind == "O":
        return np.array([_as_float(x) for x in array], dtype=np.float64)
    raise TypeError(f"values must be numbers, not {array.dtype}")


def _as_float(x):
    """One element of an object array as a float; an integer beyond 32 bits
    becomes the nearest value past the accepted range, which is outside."""
    if x is None:
        return np.nan
    if isinstance(x, (bool, np.bool_)) or not isinstance(x, numbers.Real):
        if _is_pandas_na(x):
            return np.nan
        raise TypeError(f"values must be numbers, not {type(x).__name__} {x!r}")
    if isinstance(x, numbers.Integral):
        return float(max(-_INT32_LIMIT, min(int(x), _INT32_LIMIT)))
    return float(x)


def _is_pandas_na(x):
    try:
        import pandas as pd
    except ImportError:
        return False
    return x is pd.NA or x is pd.NaT


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
