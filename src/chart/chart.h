#ifndef VARVE_CHART_CHART_H_
#define VARVE_CHART_CHART_H_

// The correspondence chart: how the two chronologies line up over their whole
// range, as an SVG figure. One panel per NE sequence plots the offset AM minus
// NE as a step line against the numbers of the direction's own chronology, so
// that each split is a step up and each join a step down.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chronology/links.h"
#include "chronology/span.h"

namespace chart {

/// One link of one sequence as the chart draws it (or a run of corresponding
/// varves at one offset, `link` the first): the run of numbers of the
/// direction's chronology it covers, at its offset AM minus NE.
struct Segment {
  chronology::Link link;
  chronology::GivenNumber first;  ///< The first number of the run it covers.
  chronology::GivenNumber last;   ///< The last number of the run it covers.
  std::int32_t offset;            ///< `offset_of(link)`.
  chronology::AmNumber am_last;   ///< The last AM varve the run reaches.
};

/// The AM number minus the NE number of `link`'s first varves: its height in the chart.
constexpr std::int32_t offset_of(const chronology::Link& link) {
  return link.am_first.value() - link.ne_first.value();
}

/// The links of `sequence` in `direction`, one segment per split or join and
/// per run of corresponding varves at one offset, ascending.
std::vector<Segment> segments(chronology::Direction direction, chronology::Sequence sequence);

/// A short name of a link, as a step's tooltip shows it, e.g.
/// "NE-LC 3021 split into AM 3021-3022".
std::string link_name(const chronology::Link& link);

/// The chart of `direction` as a standalone SVG document, drawn to be shown
/// one unit to a CSS pixel, with the links of `mark` marked when it is given
/// and accepted, and `span` shaded with the corrections inside it
/// highlighted when it is given and converted. Throws std::bad_alloc when
/// memory runs out.
std::string correspondence_svg(chronology::Direction direction,
                               std::optional<chronology::GivenNumber> mark,
                               std::optional<chronology::GivenRange> span = std::nullopt);

}  // namespace chart

#endif  // VARVE_CHART_CHART_H_
