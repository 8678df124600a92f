// varve._engine: the engine's links of whole arrays of numbers or text, as
// arrays of codes and numbers, and the spans of pairs of such arrays, as
// arrays of values and masks; the varve package turns them into masked
// arrays or a DataFrame.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "chronology/links.h"
#include "chronology/tables_identity.h"
#include "span_columns.h"
#include "varve_columns.h"

namespace py = pybind11;
using namespace varve_columns;

namespace {

/// The direction named as on varve-batch's command line.
Direction direction_named(const std::string& name) {
  if (std::optional<Direction> direction = chronology::direction_named(name)) {
    return *direction;
  }
  throw py::value_error("direction must be 'ne-to-am' or 'am-to-ne', not '" + name + "'");
}

/// The code of "no false couplets column": a row with no link.
constexpr std::uint8_t kNoFlag = 2;

template <class T>
T* data_of(py::array_t<T>& array) {
  return array.mutable_data();
}

/// The code of a sequence, a relation or a flag, as the varve package reads it.
std::uint8_t code(const AddedSequence& sequence) {
  return static_cast<std::uint8_t>(sequence ? static_cast<std::size_t>(*sequence)
                                            : kSequenceNames.size() - 1);
}
std::uint8_t code(RelationCode relation) {
  return static_cast<std::uint8_t>(relation);
}
std::uint8_t code(const AddedFlag& flag) {
  return flag ? *flag : kNoFlag;
}

/// The added columns of `count` rows of `d`, the i-th row's cells given by
/// `cells(i)`: codes (uint8) for the sequence, relations and false couplets,
/// int32 numbers (0 where a cell is empty), by the names of the table model's
/// cells.
template <class Cells>
py::dict columns_of(Direction d, std::size_t count, Cells cells) {
  std::vector<py::array> arrays;
  std::vector<std::string_view> names;
  visit_fields(table::no_cells(d), [&](std::string_view name, const auto& value) {
    if constexpr (kIsAddedNumber<std::decay_t<decltype(value)>>) {
      arrays.push_back(py::array_t<std::int32_t>(count));
    } else {
      arrays.push_back(py::array_t<std::uint8_t>(count));
    }
    names.push_back(name);
  });
  std::vector<void*> data;
  for (py::array& array : arrays) {
    data.push_back(array.mutable_data());
  }
  {
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t k = 0;
      visit_fields(cells(i), [&](std::string_view, const auto& value) {
        if constexpr (kIsAddedNumber<std::decay_t<decltype(value)>>) {
          static_cast<std::int32_t*>(data[k++])[i] = value ? value->value() : 0;
        } else {
          static_cast<std::uint8_t*>(data[k++])[i] = code(value);
        }
      });
    }
  }
  py::dict dict;
  for (std::size_t k = 0; k < arrays.size(); ++k) {
    dict[py::str(std::string(names[k]))] = arrays[k];
  }
  return dict;
}

/// The kept messages of `warnings` as a list of (index, message), for the
/// varve package to name each element by its label.
py::list kept_of(const Warnings& warnings) {
  py::list kept;
  for (const auto& [index, message] : warnings.kept()) {
    kept.append(py::make_tuple(index, message));
  }
  return kept;
}

/// The columns of `count` cells, the i-th given by `read(i)`, with how many
/// were invalid, how many were spans not converted, the messages of the first
/// few and how many more there were: (columns, invalid, spans, kept, more).
template <class Read>
py::tuple converted(Direction direction, std::size_t count, const Warnings& warnings, Read read) {
  py::dict columns =
      columns_of(direction, count, [&](std::size_t i) { return number_cells(direction, read(i)); });
  return py::make_tuple(columns, warnings.count(), warnings.spans(), kept_of(warnings),
                        warnings.more());
}

using Integers = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;
using Floats = py::array_t<double, py::array::c_style | py::array::forcecast>;

/// The columns of whole numbers.
py::tuple convert_integers(const std::string& direction, const Integers& values) {
  const std::int64_t* data = values.data();
  Direction d = direction_named(direction);
  Warnings invalid(d);
  return converted(d, static_cast<std::size_t>(values.size()), invalid,
                   [data](std::size_t i) { return chronology::read_integer(data[i]); });
}

/// The columns of floating-point values: NaN is empty, a fraction invalid.
py::tuple convert_floats(const std::string& direction, const Floats& values) {
  const double* data = values.data();
  Direction d = direction_named(direction);
  Warnings invalid(d);
  return converted(d, static_cast<std::size_t>(values.size()), invalid,
                   [data, &invalid](std::size_t i) {
                     Cell cell = chronology::read_real(data[i]);
                     invalid.note(i, cell, [&] { return shown_real(data[i], "inf"); });
                     return cell;
                   });
}

/// The cell of the text `text`, the element at `i`, noted in `invalid`
/// (Warnings or EndTexts).
template <class Notes>
Cell read_text(std::string_view text, std::size_t i, Notes& invalid) {
  Cell cell = chronology::read_cell(text);
  invalid.note(i, cell, [&] { return text; });
  return cell;
}

/// The cell of a str. One that cannot be UTF-8 (lone surrogates, as bytes
/// decoded with surrogateescape give) is read from the bytes it stands for.
template <class Notes>
Cell read_str(PyObject* x, std::size_t i, Notes& invalid) {
  Py_ssize_t size = 0;
  if (const char* utf8 = PyUnicode_AsUTF8AndSize(x, &size)) {
    return read_text({utf8, static_cast<std::size_t>(size)}, i, invalid);
  }
  PyErr_Clear();
  PyObject* bytes = PyUnicode_AsEncodedString(x, "utf-8", "surrogateescape");
  if (bytes == nullptr) {
    PyErr_Clear();
    bytes = PyUnicode_AsEncodedString(x, "utf-8", "backslashreplace");
  }
  if (bytes == nullptr) {
    throw py::error_already_set();
  }
  py::bytes held = py::reinterpret_steal<py::bytes>(bytes);
  return read_text(std::string_view(held), i, invalid);
}

/// The cell of one element of an object array: a str by the cell rule, an
/// int or a float as a number, None as empty. Anything else is handed to
/// `other`, which gives None, an int or a float for it, or raises TypeError.
template <class Notes>
Cell read_object(PyObject* x, std::size_t i, Notes& invalid, const py::handle& other) {
  if (PyUnicode_Check(x)) {
    return read_str(x, i, invalid);
  }
  if (PyFloat_Check(x)) {
    double value = PyFloat_AS_DOUBLE(x);
    Cell cell = chronology::read_real(value);
    invalid.note(i, cell, [&] { return shown_real(value, "inf"); });
    return cell;
  }
  if (PyLong_Check(x) && !PyBool_Check(x)) {
    int overflow = 0;
    long long value = PyLong_AsLongLongAndOverflow(x, &overflow);
    return chronology::read_integer(overflow > 0   ? std::numeric_limits<std::int64_t>::max()
                                    : overflow < 0 ? std::numeric_limits<std::int64_t>::min()
                                                   : value);
  }
  if (x == Py_None) {
    return {CellKind::kEmpty};
  }
  if (!other) {
    throw py::type_error("a value was read as neither None, an int nor a float");
  }
  py::object read = other(py::handle(x));
  return read_object(read.ptr(), i, invalid, py::handle());
}

/// The columns of a one-dimensional array of Python objects: text, numbers
/// and missing values, each read as `read_object` reads it.
py::tuple convert_objects(const std::string& direction, const py::array& values,
                          const py::function& other) {
  if (values.dtype().kind() != 'O' || values.ndim() != 1) {
    throw py::type_error("convert_objects takes a one-dimensional array of objects");
  }
  auto count = static_cast<std::size_t>(values.shape(0));
  const char* data = static_cast<const char*>(values.data());
  py::ssize_t stride = values.strides(0);
  // Read while the objects may be touched; the links are found without them.
  Direction d = direction_named(direction);
  Warnings invalid(d);
  std::vector<Cell> cells(count);
  for (std::size_t i = 0; i < count; ++i) {
    PyObject* x = *reinterpret_cast<PyObject* const*>(data + static_cast<py::ssize_t>(i) * stride);
    cells[i] = read_object(x, i, invalid, other);
  }
  return converted(d, count, invalid, [&cells](std::size_t i) { return cells[i]; });
}

/// The cells of a one-dimensional array of int64, float64 or objects, as the
/// convert_ functions read them, noted in `ends`.
std::vector<Cell> cells_of(const py::array& values, EndTexts& ends, const py::function& other) {
  if (values.ndim() != 1) {
    throw py::type_error("the ends of spans must be one-dimensional arrays");
  }
  auto count = static_cast<std::size_t>(values.shape(0));
  std::vector<Cell> cells(count);
  char kind = values.dtype().kind();
  if (kind == 'i') {
    Integers integers = Integers::ensure(values);
    for (std::size_t i = 0; i < count; ++i) {
      cells[i] = chronology::read_integer(integers.data()[i]);
    }
  } else if (kind == 'f') {
    Floats floats = Floats::ensure(values);
    const double* data = floats.data();
    for (std::size_t i = 0; i < count; ++i) {
      cells[i] = chronology::read_real(data[i]);
      ends.note(i, cells[i], [&] { return shown_real(data[i], "inf"); });
    }
  } else if (kind == 'O') {
    const char* data = static_cast<const char*>(values.data());
    py::ssize_t stride = values.strides(0);
    for (std::size_t i = 0; i < count; ++i) {
      PyObject* x =
          *reinterpret_cast<PyObject* const*>(data + static_cast<py::ssize_t>(i) * stride);
      cells[i] = read_object(x, i, ends, other);
    }
  } else {
    throw py::type_error("the ends of spans must be arrays of int64, float64 or objects");
  }
  return cells;
}

/// The rows of the pairs of `first` and `last`, arrays as `cells_of` takes;
/// bad pairs are noted in `pairs`.
std::vector<SpanRow> span_rows(Direction direction, const py::array& first, const py::array& last,
                               const py::function& other, Warnings& pairs) {
  EndTexts first_texts, last_texts;
  std::vector<Cell> firsts = cells_of(first, first_texts, other);
  std::vector<Cell> lasts = cells_of(last, last_texts, other);
  if (firsts.size() != lasts.size()) {
    throw py::value_error("first and last must have the same length");
  }
  std::vector<SpanRow> rows;
  rows.reserve(firsts.size());
  for (std::size_t i = 0; i < firsts.size(); ++i) {
    rows.push_back(span_row(direction, firsts[i], lasts[i], first_texts.at(i), last_texts.at(i)));
    if (!rows.back().not_converted.empty()) {
      pairs.add(i, rows.back().not_converted);
    }
  }
  return rows;
}

/// Columns of `rows` rows, whose values `value(row, column)` gives, as a
/// dict of (values, mask): int32 or bool arrays, or a list of str for text,
/// and a bool array that is true where a value is missing.
template <class Columns, class Type, class ValueOf>
py::dict value_columns(const Columns& columns, std::size_t rows, Type type, ValueOf value) {
  py::dict dict;
  for (const auto& column : columns) {
    py::array_t<bool> mask(static_cast<py::ssize_t>(rows));
    bool* missing = data_of(mask);
    py::object values;
    switch (type(column)) {
      case ValueType::kText: {
        py::list texts(rows);
        for (std::size_t i = 0; i < rows; ++i) {
          Value v = value(i, column);
          missing[i] = !v.text;
          texts[i] = v.text ? py::object(py::str(*v.text)) : py::object(py::none());
        }
        values = texts;
        break;
      }
      case ValueType::kInteger: {
        py::array_t<std::int32_t> numbers(static_cast<py::ssize_t>(rows));
        std::int32_t* data = data_of(numbers);
        for (std::size_t i = 0; i < rows; ++i) {
          Value v = value(i, column);
          missing[i] = !v.integer;
          data[i] = v.integer.value_or(0);
        }
        values = numbers;
        break;
      }
      case ValueType::kLogical: {
        py::array_t<bool> flags(static_cast<py::ssize_t>(rows));
        bool* data = data_of(flags);
        for (std::size_t i = 0; i < rows; ++i) {
          Value v = value(i, column);
          missing[i] = !v.flag;
          data[i] = v.flag.value_or(false);
        }
        values = flags;
        break;
      }
    }
    dict[py::str(std::string(column.name))] = py::make_tuple(values, mask);
  }
  return dict;
}

/// The span of each pair of `first` and `last` in `direction`, with how many
/// pairs were not converted, the messages of the first few and how many more
/// there were: (columns, count, kept, more).
py::tuple spans(const std::string& direction, const py::array& first, const py::array& last,
                const py::function& other) {
  Direction d = direction_named(direction);
  Warnings pairs(d);
  std::vector<SpanRow> rows = span_rows(d, first, last, other, pairs);
  py::dict columns = value_columns(
      span_columns(d), rows.size(), [](const SpanColumn& c) { return value_type(c.field); },
      [&rows](std::size_t i, const SpanColumn& c) { return span_value(rows[i], c); });
  return py::make_tuple(columns, pairs.faults(), kept_of(pairs), pairs.more());
}

/// Each correction inside the span of each pair of `first` and `last`, a row
/// each, the pair's position (from 0) first.
py::dict span_corrections(const std::string& direction, const py::array& first,
                          const py::array& last, const py::function& other) {
  Direction d = direction_named(direction);
  Warnings pairs(d);
  std::vector<SpanRow> rows = span_rows(d, first, last, other, pairs);
  std::vector<CorrectionRow> corrections;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    append_corrections(corrections, i, rows[i]);
  }
  return value_columns(
      kCorrectionColumns, corrections.size(), [](const CorrectionColumn& c) { return c.type; },
      [&corrections](std::size_t i, const CorrectionColumn& c) {
        return correction_value(corrections[i], c);
      });
}

/// Every link of every accepted number of `direction`, as varve-batch's table
/// gives them: the number, then the link's fields.
py::dict links_table(const std::string& direction) {
  Direction d = direction_named(direction);
  std::vector<std::int32_t> input;
  std::vector<table::NeToAmCells> rows;
  for (const chronology::GivenRange& range : chronology::accepted_ranges(d)) {
    for (chronology::GivenNumber n = range.first; n <= range.last; ++n) {
      for (const Link& link : chronology::links_of(d, n)) {
        input.push_back(n);
        rows.push_back(table::link_cells(link));
      }
    }
  }
  py::dict columns;
  columns["input"] = py::array(input.size(), input.data());
  // Then a link's cells, in the columns that ne-to-am adds, as varve-batch's table has them.
  py::dict cells = columns_of(Direction::kNeToAm, rows.size(),
                              [&rows](std::size_t i) { return NumberCells(rows[i]); });
  for (auto [name, column] : cells) {
    columns[name] = column;
  }
  return columns;
}

std::vector<std::string> names_of(const auto& names) {
  return {names.begin(), names.end()};
}

}  // namespace

PYBIND11_MODULE(_engine, m) {
  m.doc() = "The varve engine over whole arrays; use the varve package instead.";
  m.def("convert_integers", &convert_integers, "Columns of an int64 array.");
  m.def("convert_floats", &convert_floats, "Columns of a float64 array.");
  m.def("convert_objects", &convert_objects, "Columns of an object array of text and numbers.");
  m.def("links_table", &links_table, "Every link of every accepted number.");
  m.def("spans", &spans, "Span columns of two arrays of ends.");
  m.def("span_corrections", &span_corrections, "The corrections inside spans, one row each.");
  m.attr("RELATIONS") = names_of(kRelationNames);
  m.attr("SEQUENCES") = names_of(kSequenceNames);
  m.attr("NO_FLAG") = kNoFlag;
  m.attr("TABLES_REVISION") = std::string(chronology::kTables.name);
  m.attr("TABLES_CHECKSUM") = std::string(chronology::kTablesChecksumText);
  // The year the module was built, for the citation.
  m.attr("MADE_YEAR") = VARVE_MADE_YEAR;
}
