"""Convert varve numbers between the New England (NE) and North American (AM)
varve chronologies, a whole column at a time.

The NE chronology comes as two separately numbered sequences, Lower
Connecticut (NE-LC, accepted numbers 2500-6460) and Upper Connecticut (NE-UC,
6560-9000); the AM chronology is one sequence (2500-8700). Most NE varves are
one AM varve each ("corresponds"); some NE varves were split into two
consecutive AM varves ("split"), and some runs of NE varves were joined into
one AM varve ("joined"). One joined run, NE-LC 5672-5676 (AM 5691), also
represents false annual couplets formed by flood events in the Hudson Valley.

`ne_to_am` and `am_to_ne` give one result row per value, in order, blanks and
values that are not numbers included, with the columns of varve-batch's
column mode. Given a pandas Series they give a pandas DataFrame with the
Series' index, so that the results join back to their own rows; given
anything else (a list, a numpy array) they give a dict of numpy masked
arrays, one element per value, where a missing number is masked, never a
made-up one. `to_frame` turns such a dict into a DataFrame; `links` gives
every link of one direction. `ne_span` and `am_span` convert spans, pairs of
first and last varves, and give how long each lasted in both chronologies;
`span_corrections` lists the splits and joins inside them.
`tables_identity` names the correspondence tables they all use, and
`citation` gives the entry to cite, with them.

Values may be numbers or text, as a column read from a file comes: pandas
gives text once one cell is, say, "4282?". Text is read as varve-batch reads
a cell: "3021" and "3021.0" are 3021, blanks around are ignored, "" is
missing, and "4,282" or "4282?" are not whole numbers. A categorical is read
by its labels. None, NaN and pd.NA are missing. Values that are not whole
numbers get the relation "invalid" and a warning that counts them and shows
the first five, each named by its Series' index label (or, for anything but a
Series, its position from 0), with what was perhaps meant.

Examples
--------
>>> import varve
>>> cols = varve.ne_to_am([3021, 4282, 9500])
>>> cols["relation"].tolist(), cols["am_first"].tolist()
(['split', 'joined', 'outside'], [3021, 4294, None])

>>> import warnings
>>> with warnings.catch_warnings(record=True) as caught:
...     warnings.simplefilter("always")
...     cols = varve.ne_to_am(["3021", "4282?"])
>>> cols["relation"].tolist()
['split', 'invalid']
>>> print(caught[0].message)
1 value is not a whole number; its relation is 'invalid'
element 1: not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert it)
"""

import numbers
import sys
import warnings
from importlib import metadata

import numpy as np

from . import _engine

__all__ = ["ne_to_am", "am_to_ne", "ne_span", "am_span", "span_corrections", "links", "to_frame",
           "tables_identity", "citation"]
__version__ = metadata.version("varve")


def __dir__():
    """The public names, so that completion offers neither imports nor helpers."""
    return sorted(__all__ + ["__version__"])


_RELATIONS = np.array(_engine.RELATIONS, dtype=object)
_SEQUENCES = np.array(_engine.SEQUENCES, dtype=object)
_NO_RELATION = len(_engine.RELATIONS) - 1
_NO_SEQUENCE = len(_engine.SEQUENCES) - 1
_INVALID = _engine.RELATIONS.index("invalid")
_LINKED = _engine.RELATIONS.index("outside")  # Codes below it are links.
_INT32_LIMIT = 2**31


def ne_to_am(values):
    """Convert NE varve numbers to AM, one row per value.

    Parameters
    ----------
    values : list, numpy array, pandas Series or scalar
        One-dimensional numbers or text: NE-LC 2500-6460 or NE-UC
        6560-9000; other numbers are "outside". Text is read as varve-batch
        reads a cell ("3021.0" is 3021; "4,282" and "4282?" are "invalid");
        None, NaN, pd.NA and blank text are missing; a categorical is read by
        its labels.

    Returns
    -------
    dict of numpy.ma.MaskedArray, or pandas.DataFrame
        A pandas DataFrame with the Series' index when `values` is a Series,
        else a dict of masked arrays, with the columns:

        - sequence: "LC" or "UC", the NE sequence of the number.
        - relation: "corresponds" (one NE varve is one AM varve), "split"
          (one NE varve became two AM varves), "joined" (a run of NE varves
          became one AM varve), "outside" (not an accepted number) or
          "invalid" (not a whole number).
        - ne_first, ne_last: the NE varve, or the first and last of the
          joined run it belongs to.
        - am_first, am_last: the AM varve, or the first and last of a split
          pair.
        - false_couplets: True when the joined run is also false annual
          couplets.

        A missing value gives a row that is all missing (masked or <NA>);
        the other columns of an "outside" or "invalid" row are missing.

    Warns
    -----
    UserWarning
        When values are not whole numbers: how many, and the first five, each
        named by its index label in a Series (as repr), else by its position
        (from 0).

    See Also
    --------
    am_to_ne : The other direction.
    links : Every link at once.

    Examples
    --------
    >>> import varve
    >>> cols = varve.ne_to_am([3021, 4282, 5674, None, 9500])
    >>> cols["relation"].tolist()
    ['split', 'joined', 'joined', None, 'outside']
    >>> cols["am_first"].tolist(), cols["am_last"].tolist()
    ([3021, 4294, 5691, None, None], [3022, 4294, 5691, None, None])
    >>> cols["false_couplets"].tolist()
    [False, False, True, None, None]

    A Series gives a DataFrame on its index, which joins back to its rows:

    >>> import pandas as pd
    >>> deep = pd.DataFrame({"ne_varve": [3021, 4282, 7000]}, index=["S1", "S2", "S3"])
    >>> joined = deep.join(varve.ne_to_am(deep["ne_varve"]))
    >>> joined[["ne_varve", "relation", "am_first", "am_last"]]
        ne_varve     relation  am_first  am_last
    S1      3021        split      3021     3022
    S2      4282       joined      4294     4294
    S3      7000  corresponds      6682     6682
    """
    return _convert("ne-to-am", values)


def am_to_ne(values):
    """Convert AM varve numbers to NE, one row per value.

    An AM varve can link to both NE sequences (AM 6245-6468 has an LC and a
    UC varve), so each sequence has columns of its own. Converting back need
    not give the number you started with, since a split or joined varve links
    to more than one number.

    Parameters
    ----------
    values : list, numpy array, pandas Series or scalar
        One-dimensional numbers or text: AM 2500-8700; other numbers are
        "outside". Text is read as varve-batch reads a cell ("3021.0" is
        3021; "4,282" and "4282?" are "invalid"); None, NaN, pd.NA and blank
        text are missing; a categorical is read by its labels.

    Returns
    -------
    dict of numpy.ma.MaskedArray, or pandas.DataFrame
        A pandas DataFrame with the Series' index when `values` is a Series,
        else a dict of masked arrays, with the columns:

        - lc_relation, uc_relation: how the AM varve links to that NE
          sequence: "corresponds" (one AM varve is one NE varve), "split"
          (the AM varve is one of two made from one NE varve) or "joined" (a
          run of NE varves became it); missing when it has no link to that
          sequence; "outside" or "invalid" in both when the number is not
          accepted or not a whole number.
        - lc_first, lc_last: the NE-LC varve, or the first and last of the
          run joined into the AM varve; missing without an LC link.
        - uc_first, uc_last: likewise for NE-UC.
        - false_couplets: True when a joined run is also false annual
          couplets.

        A missing value gives a row that is all missing (masked or <NA>).

    Warns
    -----
    UserWarning
        When values are not whole numbers: how many, and the first five, each
        named by its index label in a Series (as repr), else by its position
        (from 0).

    See Also
    --------
    ne_to_am : The other direction.
    links : Every link at once.

    Examples
    --------
    >>> import varve
    >>> cols = varve.am_to_ne([3000, 5691, 6300, 7000])
    >>> cols["lc_relation"].tolist()
    ['corresponds', 'joined', 'corresponds', None]
    >>> cols["lc_first"].tolist(), cols["lc_last"].tolist()
    ([3000, 5672, 6285, None], [3000, 5676, 6285, None])
    >>> cols["uc_relation"].tolist(), cols["uc_first"].tolist()
    ([None, None, 'corresponds', 'corresponds'], [None, None, 6617, 7318])
    """
    return _convert("am-to-ne", values)


def ne_span(first, last):
    """Convert spans of NE varves to AM, with their durations, one row per pair.

    The splits and joins inside a span change its length, so converting the
    two ends one by one is not enough: NE-LC 3000-3700 holds 701 NE varves
    but spans 714 AM varves (years), AM 3000-3713. Both ends must lie in one
    NE sequence (NE-LC 2500-6460 or NE-UC 6560-9000), in either order: a
    core log's top, the larger number, may come first.

    Parameters
    ----------
    first, last : list, numpy array, pandas Series or scalar
        The two NE ends of each span, in either order, of the same length,
        read as `ne_to_am` reads its values. Series must share their index.

    Returns
    -------
    dict of numpy.ma.MaskedArray, or pandas.DataFrame
        A pandas DataFrame with the Series' index when an end is a Series,
        else a dict of masked arrays, with the columns:

        - sequence: "LC" or "UC", the NE sequence of the span.
        - ne_first, ne_last: the NE ends, the smaller first.
        - am_first, am_last: the AM span, from the first AM varve of the
          smaller end's link to the last AM varve of the larger end's.
        - ne_varves, am_varves: the duration, as the number of NE varves
          and of AM varves (years) in the span.
        - splits, joins: how many splits and joins lie in the span
          (`span_corrections` lists them).
        - false_couplets: True when a run of false annual couplets lies in
          the span.
        - first_cut, last_cut: missing when that end (the smaller, the
          larger) is exact; else the join
          it cuts through, such as "NE-LC 5672-5676 joined into AM 5691,
          false annual couplets": the AM varve at that end also holds NE
          varves outside the span.
        - not_converted: missing for a converted span; else why not: an end
          missing (an incomplete interval) or not a whole number, ends in
          different NE sequences, or an end outside the accepted ranges
          (with the part of the span that lies inside).

        A pair with both ends missing gives a row that is all missing; the
        other columns of a pair not converted are missing.

    Raises
    ------
    ValueError
        When `first` and `last` differ in length, or are Series with
        different indexes.

    Warns
    -----
    UserWarning
        When pairs are not converted: how many, and why for the first five,
        each named by its index label in a Series (as repr), else by its
        position (from 0).

    See Also
    --------
    am_span : The other direction.
    span_corrections : The splits and joins inside each span.
    ne_to_am : Single numbers (text such as "5580-5700" is read as a span).

    Examples
    --------
    >>> import varve
    >>> spans = varve.ne_span([3000, 5580, 5673], [3700, 5700, 5680])
    >>> spans["am_first"].tolist(), spans["am_last"].tolist()
    ([3000, 5599, 5691], [3713, 5714, 5695])
    >>> spans["ne_varves"].tolist(), spans["am_varves"].tolist()
    ([701, 121, 8], [714, 116, 5])
    >>> spans["splits"].tolist(), spans["joins"].tolist()
    ([13, 1, 0], [0, 3, 2])
    >>> spans["first_cut"].tolist()[2]
    'NE-LC 5672-5676 joined into AM 5691, false annual couplets'

    Columns of a DataFrame give a DataFrame on its index; the durations give
    rates, here of sedimentation in millimetres a year:

    >>> import pandas as pd
    >>> cores = pd.DataFrame({"top": [5580, 6600], "bottom": [5700, 6800],
    ...                       "thickness_mm": [1450, 2010]}, index=["A", "B"])
    >>> spans = varve.ne_span(cores["top"], cores["bottom"])
    >>> (cores["thickness_mm"] / spans["am_varves"]).round(2)
    A    12.5
    B    10.0
    dtype: Float64

    The top of a sample first is the same span:

    >>> spans = varve.ne_span([5700], [5580])
    >>> spans["ne_first"].tolist(), spans["ne_last"].tolist(), spans["am_varves"].tolist()
    ([5580], [5700], [116])

    A pair that is not converted says why:

    >>> import warnings
    >>> with warnings.catch_warnings(record=True):
    ...     warnings.simplefilter("always")
    ...     print(varve.ne_span([5700], [None])["not_converted"][0])
    the last end is empty: an incomplete interval
    """
    return _span("ne-to-am", first, last)


def am_span(first, last):
    """Convert spans of AM varves to NE, with their durations, one row per pair.

    Accepted are AM 2500-8700. Where the two NE sequences overlap (AM
    6245-6468) a span can reach both; where it reaches past one sequence's
    coverage, that sequence's columns give the part it covers.

    Parameters
    ----------
    first, last : list, numpy array, pandas Series or scalar
        The two AM ends of each span, in either order, of the same length,
        read as `am_to_ne` reads its values. Series must share their index.

    Returns
    -------
    dict of numpy.ma.MaskedArray, or pandas.DataFrame
        As `ne_span` gives them, with these columns for LC (lc_) and then
        for UC (uc_), all missing for a sequence that covers no varve of the
        span:

        - lc_first, lc_last: the NE-LC span.
        - lc_am_first, lc_am_last: the AM varves of the span that NE-LC
          covers: the whole span, or the part inside NE-LC's coverage.
        - lc_ne_varves, lc_am_varves: the duration of that part, in NE
          varves and in AM varves (years).
        - lc_splits, lc_joins: how many splits and joins lie in it.
        - lc_first_cut, lc_last_cut: missing when that end is exact; else
          the split it falls on half of, such as "NE-LC 3021 split into AM
          3021-3022": the AM varve at that end shares its NE varve with the
          AM varve outside the span.
        - uc_first to uc_last_cut: likewise for NE-UC.

        then false_couplets (True when a run of false annual couplets lies in
        the span) and not_converted (missing, or why the pair is not
        converted: an end missing (an incomplete interval), not a whole
        number, or outside AM 2500-8700, with the part inside).

    Raises
    ------
    ValueError
        When `first` and `last` differ in length, or are Series with
        different indexes.

    Warns
    -----
    UserWarning
        When pairs are not converted, as for `ne_span`.

    See Also
    --------
    ne_span : The other direction.
    span_corrections : The splits and joins inside each span.

    Examples
    --------
    >>> import varve
    >>> spans = varve.am_span([3022, 6200], [3712, 6300])
    >>> spans["lc_first"].tolist(), spans["lc_last"].tolist()
    ([3021, 6185], [3700, 6285])
    >>> spans["lc_am_varves"].tolist(), spans["lc_ne_varves"].tolist()
    ([691, 101], [680, 101])
    >>> spans["lc_first_cut"].tolist()[0]
    'NE-LC 3021 split into AM 3021-3022'
    >>> spans["uc_am_first"].tolist(), spans["uc_first"].tolist()
    ([None, 6245], [None, 6562])
    """
    return _span("am-to-ne", first, last)


def span_corrections(first, last, direction):
    """The splits and joins inside spans of varves, one row per correction.

    The long form of the splits and joins that `ne_span` and `am_span`
    count, which joins back to their rows by the column pair.

    Parameters
    ----------
    first, last : list, numpy array, pandas Series or scalar
        The first and last varve of each span, as for `ne_span` and
        `am_span`.
    direction : {"ne-to-am", "am-to-ne"}
        NE spans or AM spans.

    Returns
    -------
    dict of numpy.ma.MaskedArray, or pandas.DataFrame
        A pandas DataFrame when an end is a Series, else a dict of masked
        arrays, one element per correction, in the order of the pairs and,
        within a span, in order (LC's before UC's), with the columns:

        - pair: the position of the pair (from 0), or for Series the label
          of its row in their index.
        - sequence, relation, ne_first, ne_last, am_first, am_last,
          false_couplets: the correction, as `links` gives it.
        - cut: "first", "last" or "both" when that end of the span cuts
          through the correction (see first_cut in `ne_span`), else missing.

        A pair with no correction inside, missing or not converted has no
        row.

    Raises
    ------
    ValueError
        When `direction` is neither "ne-to-am" nor "am-to-ne", or as for
        `ne_span`.

    See Also
    --------
    ne_span, am_span : The spans these belong to.

    Examples
    --------
    >>> import varve
    >>> fixes = varve.span_corrections([5580, 3000], [5700, 3030], "ne-to-am")
    >>> fixes["pair"].tolist(), fixes["relation"].tolist()
    ([0, 0, 0, 0, 1], ['joined', 'split', 'joined', 'joined', 'split'])
    >>> fixes["ne_first"].tolist(), fixes["am_first"].tolist()
    ([5594, 5607, 5672, 5680, 3021], [5613, 5625, 5691, 5695, 3021])

    With Series, pair holds the labels of their rows:

    >>> import pandas as pd
    >>> cores = pd.DataFrame({"top": [5673, 6600], "bottom": [5674, 6700]}, index=["A", "B"])
    >>> fixes = varve.span_corrections(cores["top"], cores["bottom"], "ne-to-am")
    >>> fixes[["pair", "relation", "ne_first", "ne_last", "am_first", "am_last", "cut"]]
      pair relation  ne_first  ne_last  am_first  am_last   cut
    0    A   joined      5672     5676      5691     5691  both
    1    B    split      6674     6674      6357     6358  <NA>
    """
    first, last, index = _pair(first, last)
    columns = _value_columns(_engine.span_corrections(direction, first, last, _scalar))
    if index is None:
        return columns
    pairs = columns.pop("pair")
    frame = to_frame(columns)
    frame.insert(0, "pair", index.take(np.ma.getdata(pairs)))
    return frame


def links(direction):
    """Every link of every accepted number of one direction.

    As varve-batch's table gives them: one row per link, so two rows for an
    AM number that links to both NE sequences (LC first).

    Parameters
    ----------
    direction : {"ne-to-am", "am-to-ne"}
        Which numbers to list: NE-LC 2500-6460 and NE-UC 6560-9000, or AM
        2500-8700.

    Returns
    -------
    dict of numpy.ndarray
        One element per link, with the columns:

        - input: the number converted, of the direction's first chronology.
        - sequence: "LC" or "UC", the NE sequence of the link.
        - relation: "corresponds", "split" or "joined", as in `ne_to_am`
          and `am_to_ne`.
        - ne_first, ne_last: the NE varve, or the joined run.
        - am_first, am_last: the AM varve, or the split pair.
        - false_couplets: True when the joined run is also false annual
          couplets.

    Raises
    ------
    ValueError
        When `direction` is neither "ne-to-am" nor "am-to-ne".

    Examples
    --------
    >>> import varve
    >>> table = varve.links("am-to-ne")
    >>> len(table["input"])
    6425
    >>> both = table["input"] == 6300
    >>> table["sequence"][both].tolist(), table["ne_first"][both].tolist()
    (['LC', 'UC'], [6285, 6617])
    """
    table = _engine.links_table(direction)
    table["sequence"] = _SEQUENCES[table["sequence"]]
    table["relation"] = _RELATIONS[table["relation"]]
    table["false_couplets"] = table["false_couplets"].astype(bool)
    return table


def to_frame(columns, index=None):
    """A pandas DataFrame of the columns that the other functions give.

    Parameters
    ----------
    columns : dict or pandas.DataFrame
        What `ne_to_am`, `am_to_ne` or `links` gave. A DataFrame (as
        `ne_to_am` and `am_to_ne` give for a Series) comes back as it is.
    index : array-like, optional
        The index of the DataFrame; by default 0, 1, 2 and so on (for a
        DataFrame given, its own).

    Returns
    -------
    pandas.DataFrame
        Int32 columns for numbers, string columns for text, boolean for
        false_couplets, with missing values as <NA>.

    Examples
    --------
    >>> import varve
    >>> frame = varve.to_frame(varve.am_to_ne([5691, 6300]), index=["S1", "S2"])
    >>> frame[["lc_relation", "lc_first", "uc_first", "false_couplets"]]
        lc_relation  lc_first  uc_first  false_couplets
    S1       joined      5672      <NA>            True
    S2  corresponds      6285      6617           False
    >>> frame["uc_first"].dtype
    Int32Dtype()
    """
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


def tables_identity():
    """The correspondence tables built in: their revision and checksum.

    Every conversion of this module uses these tables. The checksum is a
    CRC-32 of their rows' values; `varve-batch --version` and the page's
    footer show the same two. Results with the same revision and checksum
    come from the same tables, whichever program, page or package converted
    them: name them when publishing converted numbers.

    Returns
    -------
    dict of str
        "revision", the revision's name, and "checksum", eight lowercase
        hexadecimal digits.

    See Also
    --------
    citation : The entry to cite, with the tables.

    Examples
    --------
    >>> import varve
    >>> varve.tables_identity()
    {'revision': '1', 'checksum': 'c2b600fa'}
    """
    return {"revision": _engine.TABLES_REVISION, "checksum": _engine.TABLES_CHECKSUM}


_TITLE = ("varve-convert: Converting Varve Numbers Between the New England and North American "
          "Varve Chronologies")
_AUTHORS = "varve-convert developers"


def citation(style="text"):
    """The entry to cite for results of this module, as R's citation("varve") gives it.

    It names the software's developers (as one author), the year the module
    was made, the title, the version and the correspondence tables'
    revision and checksum (see `tables_identity`). CITATION.cff, at the root
    of the source tree, describes the same software.

    Parameters
    ----------
    style : {"text", "bibtex"}
        A reference as text, or a BibTeX entry (with the authors braced, so
        that BibTeX takes no part of the name for a surname).

    Returns
    -------
    str

    Raises
    ------
    ValueError
        When `style` is neither "text" nor "bibtex".

    Examples
    --------
    >>> import varve
    >>> print(varve.citation())  # doctest: +ELLIPSIS +NORMALIZE_WHITESPACE
    varve-convert developers (...). varve-convert: Converting Varve Numbers
    Between the New England and North American Varve Chronologies. Version
    ..., correspondence tables revision 1, checksum c2b600fa.
    >>> print(varve.citation("bibtex"))  # doctest: +ELLIPSIS +NORMALIZE_WHITESPACE
    @Manual{varve-convert,
      title = {varve-convert: Converting Varve Numbers Between the New England
               and North American Varve Chronologies},
      author = {{varve-convert developers}},
      year = {...},
      note = {Version ..., correspondence tables revision 1, checksum c2b600fa},
    }
    """
    tables = tables_identity()
    note = (f"Version {__version__}, correspondence tables revision {tables['revision']}, "
            f"checksum {tables['checksum']}")
    year = _engine.MADE_YEAR
    if style == "text":
        return f"{_AUTHORS} ({year}). {_TITLE}. {note}."
    if style == "bibtex":
        return "\n".join([
            "@Manual{varve-convert,",
            f"  title = {{{_TITLE}}},",
            f"  author = {{{{{_AUTHORS}}}}},",
            f"  year = {{{year}}},",
            f"  note = {{{note}}},",
            "}",
        ])
    raise ValueError(f'style must be "text" or "bibtex", not {style!r}')


def _convert(direction, values):
    index = _series_index(values)
    array = _engine_array(values)
    if array.dtype.kind == "i":
        raw, invalid, spans, kept, more = _engine.convert_integers(direction, array)
    elif array.dtype.kind == "f":
        raw, invalid, spans, kept, more = _engine.convert_floats(direction, array)
    else:
        raw, invalid, spans, kept, more = _engine.convert_objects(direction, array, _scalar)
    columns = _masked(raw)
    said = []
    if invalid:
        said.append("1 value is not a whole number; its relation is 'invalid'" if invalid == 1
                    else f"{invalid} values are not whole numbers; their relation is 'invalid'")
    if spans:
        said.append("1 span is not converted; its relation is 'invalid'" if spans == 1
                    else f"{spans} spans are not converted; their relation is 'invalid'")
    if said:
        warnings.warn("\n".join(said + [_details("element", kept, more, index)]), stacklevel=3)
    return columns if index is None else to_frame(columns, index=index)


def _details(what, kept, more, index):
    """The lines of a warning on the values the engine kept a message for:
    each named by its Series' index label (as repr), or else by its position
    from 0, then how many more there were."""
    def name(position):
        if index is None:
            return str(position)
        label = index[position]
        return repr(label.item() if isinstance(label, np.generic) else label)
    lines = [f"{what} {name(position)}: {message}" for position, message in kept]
    if more:
        lines.append(f"and {more} more")
    return "\n".join(lines)


def _engine_array(values):
    """`values` as the engine reads them: a one-dimensional array of int64,
    float64 or objects."""
    array = _as_array(values)
    if array.dtype.kind in "iu":
        if array.dtype.kind == "u":
            array = np.minimum(array, _INT32_LIMIT)
        return array.astype(np.int64, copy=False)
    if array.dtype.kind == "f":
        return array.astype(np.float64, copy=False)
    return array


def _pair(first, last):
    """The ends of spans as the engine reads them, and the index of the
    Series among them (None when neither is a Series)."""
    indexes = [i for i in (_series_index(first), _series_index(last)) if i is not None]
    if len(indexes) == 2 and not indexes[0].equals(indexes[1]):
        raise ValueError("first and last are Series with different indexes: "
                         "give them the same index, so that each row pairs its own ends")
    first, last = _engine_array(first), _engine_array(last)
    if len(first) != len(last):
        raise ValueError("first and last must have the same length, one end of each span, "
                         f"not {len(first)} and {len(last)}")
    return first, last, indexes[0] if indexes else None


def _value_columns(raw):
    """The engine's (values, mask) pairs as masked arrays."""
    return {name: np.ma.array(values if isinstance(values, np.ndarray)
                              else np.array(values, dtype=object), mask=mask)
            for name, (values, mask) in raw.items()}


def _span(direction, first, last):
    first, last, index = _pair(first, last)
    raw, count, kept, more = _engine.spans(direction, first, last, _scalar)
    columns = _value_columns(raw)
    if count:
        message = ("1 pair is not converted; its not_converted column says why" if count == 1
                   else f"{count} pairs are not converted; their not_converted column says why")
        warnings.warn(f"{message}\n{_details('pair', kept, more, index)}", stacklevel=3)
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
