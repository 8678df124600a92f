// varve._engine: the engine's links of whole arrays of numbers or text, as
// arrays of codes and numbers; the varve package turns them into masked
// arrays or a DataFrame.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chronology/links.h"
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

/// The ne-to-am columns of `count` values, the i-th read by `read(i)`.
template <class Read>
py::dict ne_to_am_columns(std::size_t count, Read read) {
  py::array_t<std::uint8_t> sequence(count), relation(count), false_couplets(count);
  py::array_t<std::int32_t> ne_first(count), ne_last(count), am_first(count), am_last(count);
  std::uint8_t* seq = data_of(sequence);
  std::uint8_t* rel = data_of(relation);
  std::uint8_t* flag = data_of(false_couplets);
  std::int32_t* nf = data_of(ne_first);
  std::int32_t* nl = data_of(ne_last);
  std::int32_t* af = data_of(am_first);
  std::int32_t* al = data_of(am_last);
  {
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < count; ++i) {
      Cell cell = read(i);
      Links links = links_of_cell(Direction::kNeToAm, cell);
      if (links.empty()) {
        seq[i] = static_cast<std::uint8_t>(kSequenceNames.size() - 1);
        rel[i] = static_cast<std::uint8_t>(unlinked_code(cell.kind));
        flag[i] = kNoFlag;
        nf[i] = nl[i] = af[i] = al[i] = 0;
        continue;
      }
      // An NE number lies in one sequence, so it has one link.
      const Link& link = links[0];
      seq[i] = static_cast<std::uint8_t>(link.sequence);
      rel[i] = static_cast<std::uint8_t>(code_of(link.relation));
      flag[i] = link.false_couplets;
      nf[i] = link.ne_first;
      nl[i] = link.ne_last;
      af[i] = link.am_first;
      al[i] = link.am_last;
    }
  }
  py::dict columns;
  columns["sequence"] = sequence;
  columns["relation"] = relation;
  columns["ne_first"] = ne_first;
  columns["ne_last"] = ne_last;
  columns["am_first"] = am_first;
  columns["am_last"] = am_last;
  columns["false_couplets"] = false_couplets;
  return columns;
}

/// The am-to-ne columns of `count` values, the i-th read by `read(i)`.
template <class Read>
py::dict am_to_ne_columns(std::size_t count, Read read) {
  py::array_t<std::uint8_t> lc_relation(count), uc_relation(count), false_couplets(count);
  py::array_t<std::int32_t> lc_first(count), lc_last(count), uc_first(count), uc_last(count);
  std::uint8_t* lr = data_of(lc_relation);
  std::uint8_t* ur = data_of(uc_relation);
  std::uint8_t* flag = data_of(false_couplets);
  std::int32_t* lf = data_of(lc_first);
  std::int32_t* ll = data_of(lc_last);
  std::int32_t* uf = data_of(uc_first);
  std::int32_t* ul = data_of(uc_last);
  {
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < count; ++i) {
      Cell cell = read(i);
      Links links = links_of_cell(Direction::kAmToNe, cell);
      if (links.empty()) {
        lr[i] = ur[i] = static_cast<std::uint8_t>(unlinked_code(cell.kind));
        flag[i] = kNoFlag;
        lf[i] = ll[i] = uf[i] = ul[i] = 0;
        continue;
      }
      BySequence by = by_sequence(links);
      constexpr auto kNone = static_cast<std::uint8_t>(RelationCode::kNone);
      lr[i] = by.lc ? static_cast<std::uint8_t>(code_of(by.lc->relation)) : kNone;
      lf[i] = by.lc ? by.lc->ne_first : 0;
      ll[i] = by.lc ? by.lc->ne_last : 0;
      ur[i] = by.uc ? static_cast<std::uint8_t>(code_of(by.uc->relation)) : kNone;
      uf[i] = by.uc ? by.uc->ne_first : 0;
      ul[i] = by.uc ? by.uc->ne_last : 0;
      flag[i] = by.false_couplets;
    }
  }
  py::dict columns;
  columns["lc_relation"] = lc_relation;
  columns["lc_first"] = lc_first;
  columns["lc_last"] = lc_last;
  columns["uc_relation"] = uc_relation;
  columns["uc_first"] = uc_first;
  columns["uc_last"] = uc_last;
  columns["false_couplets"] = false_couplets;
  return columns;
}

template <class Read>
py::dict columns_of(const std::string& direction, std::size_t count, Read read) {
  return direction_named(direction) == Direction::kNeToAm ? ne_to_am_columns(count, read)
                                                          : am_to_ne_columns(count, read);
}

/// The columns of `count` cells, the i-th given by `read(i)`, with how many
/// were invalid and the messages of the first few: (columns, count, details).
template <class Read>
py::tuple converted(const std::string& direction, std::size_t count, const InvalidCells& invalid,
                    Read read) {
  py::dict columns = columns_of(direction, count, read);
  return py::make_tuple(columns, invalid.count(), invalid.details());
}

using Integers = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;
using Floats = py::array_t<double, py::array::c_style | py::array::forcecast>;

/// The columns of whole numbers.
py::tuple convert_integers(const std::string& direction, const Integers& values) {
  const std::int64_t* data = values.data();
  InvalidCells invalid(0);
  return converted(direction, static_cast<std::size_t>(values.size()), invalid,
                   [data](std::size_t i) { return chronology::read_integer(data[i]); });
}

/// The columns of floating-point values: NaN is empty, a fraction invalid.
py::tuple convert_floats(const std::string& direction, const Floats& values) {
  const double* data = values.data();
  InvalidCells invalid(0);
  return converted(direction, static_cast<std::size_t>(values.size()), invalid,
                   [data, &invalid](std::size_t i) {
                     Cell cell = chronology::read_real(data[i]);
                     invalid.note(i, cell, [&] { return shown_real(data[i], "inf"); });
                     return cell;
                   });
}

/// The cell of the text `text`, the element at `i`.
Cell read_text(std::string_view text, std::size_t i, InvalidCells& invalid) {
  Cell cell = chronology::read_cell(text);
  invalid.note(i, cell, [&] { return text; });
  return cell;
}

/// The cell of a str. One that cannot be UTF-8 (lone surrogates, as bytes
/// decoded with surrogateescape give) is read from the bytes it stands for.
Cell read_str(PyObject* x, std::size_t i, InvalidCells& invalid) {
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
Cell read_object(PyObject* x, std::size_t i, InvalidCells& invalid, const py::handle& other) {
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
  InvalidCells invalid(0);
  std::vector<Cell> cells(count);
  for (std::size_t i = 0; i < count; ++i) {
    PyObject* x = *reinterpret_cast<PyObject* const*>(data + static_cast<py::ssize_t>(i) * stride);
    cells[i] = read_object(x, i, invalid, other);
  }
  return converted(direction, count, invalid, [&cells](std::size_t i) { return cells[i]; });
}

/// Every link of every accepted number of `direction`, as varve-batch's table
/// gives them: the number, then the link's fields.
py::dict links_table(const std::string& direction) {
  Direction d = direction_named(direction);
  std::vector<std::int32_t> input, ne_first, ne_last, am_first, am_last;
  std::vector<std::uint8_t> sequence, relation, false_couplets;
  for (const chronology::Range& range : chronology::accepted_ranges(d)) {
    for (VarveNumber n = range.first; n <= range.last; ++n) {
      for (const Link& link : chronology::links_of(d, n)) {
        input.push_back(n);
        sequence.push_back(static_cast<std::uint8_t>(link.sequence));
        relation.push_back(static_cast<std::uint8_t>(code_of(link.relation)));
        ne_first.push_back(link.ne_first);
        ne_last.push_back(link.ne_last);
        am_first.push_back(link.am_first);
        am_last.push_back(link.am_last);
        false_couplets.push_back(link.false_couplets);
      }
    }
  }
  auto array = [](const auto& v) { return py::array(v.size(), v.data()); };
  py::dict table;
  table["input"] = array(input);
  table["sequence"] = array(sequence);
  table["relation"] = array(relation);
  table["ne_first"] = array(ne_first);
  table["ne_last"] = array(ne_last);
  table["am_first"] = array(am_first);
  table["am_last"] = array(am_last);
  table["false_couplets"] = array(false_couplets);
  return table;
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
  m.attr("RELATIONS") = names_of(kRelationNames);
  m.attr("SEQUENCES") = names_of(kSequenceNames);
  m.attr("NO_FLAG") = kNoFlag;
}
