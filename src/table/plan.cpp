#include "table/plan.h"

#include <algorithm>
#include <set>

#include "chronology/shown_text.h"
#include "table/added_cells.h"
#include "table/span_cells.h"

namespace table {
namespace {

/// The names a conversion of `kind` adds in `direction`, each after `prefix`.
std::vector<std::string> prefixed_names(ConversionKind kind, chronology::Direction direction,
                                        const std::string& prefix) {
  std::vector<std::string> names;
  if (kind == ConversionKind::kInterval) {
    for (const SpanColumn& column : span_columns(direction)) {
      names.push_back(prefix + std::string(column.name));
    }
    return names;
  }
  for (std::string_view name : number_cell_names(direction)) {
    names.push_back(prefix + std::string(name));
  }
  return names;
}

}  // namespace

PlanResult make_plan(const Header& header, const PlanRequest& request) {
  PlanResult result;
  result.plan.direction = request.direction;
  auto fail = [&result](PlanFault fault, std::string error) {
    result.fault = fault;
    result.error = std::move(error);
    result.plan.conversions.clear();
    return result;
  };
  std::vector<std::size_t> sources;
  for (const std::string& wanted : request.columns) {
    FoundColumn found = find_column(header, wanted);
    if (!found.error.empty()) {
      return fail(PlanFault::kRequest, found.error);
    }
    auto given = std::find(sources.begin(), sources.end(), found.index);
    if (given != sources.end()) {
      return fail(PlanFault::kRequest,
                  "column " + std::to_string(found.index + 1) + " is given twice ('" +
                      chronology::field_shown(request.columns[given - sources.begin()]) +
                      "' and '" + chronology::field_shown(wanted) + "'): give each column once");
    }
    sources.push_back(found.index);
  }
  std::vector<Conversion> conversions;
  for (std::size_t source : sources) {
    conversions.push_back({ConversionKind::kNumber, {source}, {}});
  }
  for (const std::array<std::string, 2>& ends : request.intervals) {
    Conversion interval{ConversionKind::kInterval, {}, {}};
    for (const std::string& wanted : ends) {
      FoundColumn found = find_column(header, wanted);
      if (!found.error.empty()) {
        return fail(PlanFault::kRequest, found.error);
      }
      interval.sources.push_back(found.index);
    }
    if (interval.sources[0] == interval.sources[1]) {
      return fail(PlanFault::kRequest,
                  "an interval's ends are one column, " + std::to_string(interval.sources[0] + 1) +
                      " ('" + chronology::field_shown(ends[0]) + "' and '" +
                      chronology::field_shown(ends[1]) + "'): give its two columns");
    }
    conversions.push_back(std::move(interval));
  }
  std::set<std::string, std::less<>> taken;
  for (std::size_t i = 0; i < header.width(); ++i) {
    taken.emplace(header.name(i));
  }
  auto clashes = [&taken](const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&taken](const std::string& name) { return taken.contains(name); });
  };
  for (Conversion& conversion : conversions) {
    bool plain = conversions.size() == 1 &&
                 !(request.named_after_source_on_clash &&
                   clashes(prefixed_names(conversion.kind, request.direction, request.prefix)));
    if (plain) {
      conversion.names = prefixed_names(conversion.kind, request.direction, request.prefix);
      for (const std::string& name : conversion.names) {
        if (taken.contains(name)) {
          return fail(PlanFault::kClash, "the header already has a column named '" +
                                             chronology::field_shown(name) + "'");
        }
      }
    } else {
      std::string base;
      for (std::size_t source : conversion.sources) {
        // Appended piece by piece: GCC 12 at -O2 warns falsely of
        // overlapping copies in "literal" + std::string.
        if (!base.empty()) {
          base += '_';
        }
        base += source_name(header, source);
      }
      std::string named = base;
      for (int n = 2; clashes(conversion.names =
                                  prefixed_names(conversion.kind, request.direction, named + "_"));
           ++n) {
        named = base + "_" + std::to_string(n);
      }
    }
    taken.insert(conversion.names.begin(), conversion.names.end());
  }
  result.plan.conversions = std::move(conversions);
  return result;
}

}  // namespace table
