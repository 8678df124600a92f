// varve._engine: the engine's links of whole arrays of numbers, as arrays of
// codes and numbers; the varve package turns them into masked arrays.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <cstdint>
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

using Integers = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;
using Floats = py::array_t<double, py::array::c_style | py::array::forcecast>;

/// The columns of whole numbers.
py::dict convert_integers(const std::string& direction, const Integers& values) {
  const std::int64_t* data = values.data();
  return columns_of(direction, static_cast<std::size_t>(values.size()),
                    [data](std::size_t i) { return chronology::read_integer(data[i]); });
}

/// The columns of floating-point values: NaN is missing, a fraction invalid.
py::dict convert_floats(const std::string& direction, const Floats& values) {
  const double* data = values.data();
  return columns_of(direction, static_cast<std::size_t>(values.size()),
                    [data](std::size_t i) { return chronology::read_real(data[i]); });
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
  m.def("links_table", &links_table, "Every link of every accepted number.");
  m.attr("RELATIONS") = names_of(kRelationNames);
  m.attr("SEQUENCES") = names_of(kSequenceNames);
  m.attr("NO_FLAG") = kNoFlag;
}
