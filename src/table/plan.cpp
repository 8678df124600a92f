#include "table/plan.h"

#include <algorithm>
#include <set>

#include "chronology/shown_text.h"
#include "table/added_cells.h"

namespace table {
namespace {

/// The names a number conversion adds in `direction`, each after `prefix`.
std::vector<std::string> prefixed_names(chronology::Direction direction,
                                        const std::string& prefix) {
  std::vector<std::string> names;
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
  std::set<std::string, std::less<>> taken;
  for (std::size_t i = 0; i < header.width(); ++i) {
    taken.emplace(header.name(i));
  }
  auto clashes = [&taken](const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&taken](const std::string& name) { return taken.contains(name); });
  };
  for (std::size_t source : sources) {
    Conversion conversion{ConversionKind::kNumber, {source}, {}};
    bool plain =
        sources.size() == 1 && !(request.named_after_source_on_clash &&
                                 clashes(prefixed_names(request.direction, request.prefix)));
    if (plain) {
      conversion.names = prefixed_names(request.direction, request.prefix);
      for (const std::string& name : conversion.names) {
        if (taken.contains(name)) {
          return fail(PlanFault::kClash, "the header already has a column named '" +
                                             chronology::field_shown(name) + "'");
        }
      }
    } else {
      std::string base = source_name(header, source);
      std::string named = base;
      for (int n = 2; clashes(conversion.names = prefixed_names(request.direction, named + "_"));
           ++n) {
        named = base + "_" + std::to_string(n);
      }
    }
    taken.insert(conversion.names.begin(), conversion.names.end());
    result.plan.conversions.push_back(std::move(conversion));
  }
  return result;
}

}  // namespace table
