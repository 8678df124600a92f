#include "chart/chart.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>

namespace chart {
namespace {

using chronology::Direction;
using chronology::GivenNumber;
using chronology::Link;
using chronology::Relation;
using chronology::Sequence;

// The figure's geometry, in SVG user units, drawn to be shown one unit to a
// CSS pixel: its text is then 12 px, and each step marker is a target of
// kTarget by kTarget that no other marker's covers. From the top: the title
// and the legend (the head), then each panel below a header band that names
// its sequence and says what its y axis measures, the x axis's numbers below
// each panel and its title below the last. The y axis's numbers lie left of
// kLeft, where no plot is drawn, so that the page can keep them, the headers
// and the axis titles in view over a plot that scrolls sideways.
constexpr double kLeft = 84;
constexpr double kRight = 24;
/// Where the plot begins: the head lies above, everything else below.
constexpr double kPlotTop = 80;
constexpr double kLegendY = 60;
/// From the top of a panel's header band to its frame: two lines of text.
constexpr double kHeaderHeight = 44;
/// From a panel's frame to the next header band: room for the x axis's numbers.
constexpr double kPanelGap = 28;
constexpr double kMinPanelHeight = 120;
constexpr double kXNumbersBelow = 16;   // From a panel's bottom to its x axis numbers.
constexpr double kAxisTitleBelow = 38;  // From the last panel's bottom to the x axis title.
constexpr double kBottomMargin = 10;
/// Where the header bands' text begins, in the y axis's column.
constexpr double kHeaderLeft = 8;
constexpr GivenNumber kXTick = 500;
/// The side of a step marker's target: 24 CSS px and a pixel to spare for rounding.
constexpr double kTarget = 25;
/// The least distance between the centres of two markers' targets, along
/// either axis: the height of one varve of offset, and the width of the
/// fewest varves between two markers at one offset.
constexpr double kSpacing = 26;
/// The width of one varve when no two markers share an offset.
constexpr double kPlainVarveWidth = 0.13;
/// About the widest a character of the 12 px text is, to space the legend's keys.
constexpr double kCharacterWidth = 6.8;

/// The figure's own style, so that the standalone file looks as the page does.
constexpr std::string_view kStyle =
    "<style>"
    ".vc-chart{font-family:sans-serif;font-size:12px;fill:#222}"
    ".vc-chart .vc-title{font-size:16px;font-weight:bold}"
    ".vc-chart .vc-frame{fill:#fff;stroke:#888}"
    ".vc-chart .vc-grid{stroke:#e4e4e4}"
    ".vc-chart .vc-line{fill:none;stroke-width:2}"
    ".vc-chart .vc-lc{stroke:#1f5fa8}"
    ".vc-chart .vc-uc{stroke:#c4561b}"
    ".vc-chart .vc-overlap{fill:#f3e7a0;opacity:.7}"
    ".vc-chart .vc-split path{fill:#247a3c}"
    ".vc-chart .vc-join path{fill:#7b3fa0}"
    ".vc-chart .vc-false-couplets path{fill:#c0392b}"
    ".vc-chart .vc-hit{fill:transparent}"
    ".vc-chart .vc-step:hover path,.vc-chart .vc-step:focus path{stroke:#000;stroke-width:1.5}"
    ".vc-chart .vc-step:focus{outline:none}"
    ".vc-chart .vc-step:focus .vc-hit{fill:#fff4c2;stroke:#000;stroke-width:3}"
    ".vc-chart .vc-span{fill:#9fc3ea;opacity:.45}"
    ".vc-chart .vc-in-span .vc-hit{fill:#fde2e4;stroke:#d0021b;stroke-width:1.5}"
    ".vc-chart .vc-mark{stroke:#d0021b;stroke-width:1.5;stroke-dasharray:5 3}"
    ".vc-chart .vc-mark-point{fill:#d0021b}"
    ".vc-chart .vc-marked{pointer-events:none}"
    ".vc-chart .vc-cover{fill:#fff}"
    ".vc-chart .vc-axis-line{stroke:#888}"
    ".vc-chart .vc-name{font-weight:bold}"
    "</style>";

std::string_view sequence_label(Sequence s) {
  return s == Sequence::kLc ? "NE-LC" : "NE-UC";
}

/// Appends `value` with at most one decimal.
void put(std::string& out, double value) {
  char text[32];
  int length = std::snprintf(text, sizeof text, "%.1f", value);
  std::string_view digits(text, static_cast<std::size_t>(length));
  if (digits.ends_with(".0")) {
    digits.remove_suffix(2);
  }
  out.append(digits == "-0" ? "0" : digits);
}

void put(std::string& out, std::int32_t value) {
  out.append(std::to_string(value));
}

/// Appends each of `parts`: text as it is, numbers formatted.
template <class... Parts>
void add(std::string& out, const Parts&... parts) {
  auto one = [&out](const auto& part) {
    using Part = std::decay_t<decltype(part)>;
    if constexpr (std::is_same_v<Part, char>) {
      out.push_back(part);
    } else if constexpr (std::is_integral_v<Part>) {
      put(out, static_cast<std::int32_t>(part));
    } else if constexpr (requires { part.value(); }) {
      put(out, part.value());  // A varve number of either chronology.
    } else if constexpr (std::is_floating_point_v<Part>) {
      put(out, static_cast<double>(part));
    } else {
      out.append(part);
    }
  };
  (one(parts), ...);
}

/// A linear map from a closed interval of numbers onto one of the figure.
struct Scale {
  double from_low, from_high, to_low, to_high;
  double operator()(double v) const {
    return to_low + (v - from_low) * (to_high - to_low) / (from_high - from_low);
  }
};

/// An inclusive run of numbers; empty when first > last.
struct Span {
  GivenNumber first;
  GivenNumber last;
};

/// The AM numbers that have a link to both sequences.
Span overlap_of_am(const std::array<std::vector<Segment>, 2>& by_sequence) {
  Span extent[2];
  for (int s = 0; s < 2; ++s) {
    extent[s] = {by_sequence[s].front().link.am_first.value(),
                 by_sequence[s].back().am_last.value()};
  }
  return {std::max(extent[0].first, extent[1].first), std::min(extent[0].last, extent[1].last)};
}

/// The NE numbers whose links reach into the AM numbers `am`.
Span overlap_in_ne(const std::vector<Segment>& segments, Span am) {
  Span span{1, 0};
  for (const Segment& s : segments) {
    if (s.am_last.value() < am.first || s.link.am_first.value() > am.last) {
      continue;
    }
    Span part{s.first, s.last};
    if (s.link.relation == Relation::kCorresponds) {
      // Each NE varve of the run is the AM varve `offset` further on.
      part = {std::max(s.first, am.first - s.offset), std::min(s.last, am.last - s.offset)};
    }
    span.first = span.first > span.last ? part.first : std::min(span.first, part.first);
    span.last = std::max(span.last, part.last);
  }
  return span;
}

/// Where the figure's parts lie: its size, its x axis and each panel's top and height.
struct Layout {
  double width = 0;
  double height = 0;
  Scale x{};
  double top[2] = {0, 0};    // LC, then UC.
  double panel[2] = {0, 0};  // The panels' heights.
};

/// The lowest and highest offsets of a panel's segments.
std::pair<std::int32_t, std::int32_t> offset_range(const std::vector<Segment>& segments) {
  auto [low, high] =
      std::minmax_element(segments.begin(), segments.end(),
                          [](const Segment& a, const Segment& b) { return a.offset < b.offset; });
  return {low->offset, high->offset};
}

/// The fewest varves between the markers of two splits or joins at one
/// offset of one panel; 0 when no two share an offset.
std::int32_t closest_markers(const std::array<std::vector<Segment>, 2>& by_sequence) {
  std::int32_t closest = 0;
  for (const std::vector<Segment>& segments : by_sequence) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
      if (segments[i].link.relation == Relation::kCorresponds) {
        continue;
      }
      // The next marker at the same offset is the nearest one there.
      for (std::size_t j = i + 1; j < segments.size(); ++j) {
        if (segments[j].link.relation != Relation::kCorresponds &&
            segments[j].offset == segments[i].offset) {
          std::int32_t apart = segments[j].last - segments[i].last;
          closest = closest == 0 ? apart : std::min(closest, apart);
          break;
        }
      }
    }
  }
  return closest;
}

/// The figure's layout: a varve of offset kSpacing high, and the x axis wide
/// enough that markers at one offset lie kSpacing apart or more.
Layout layout_of(Direction direction, const std::array<std::vector<Segment>, 2>& by_sequence) {
  auto ranges = chronology::accepted_ranges(direction);
  double first = ranges.front().first;
  double end = ranges.back().last + 1.0;
  std::int32_t closest = closest_markers(by_sequence);
  double varve = closest > 0 ? kSpacing / closest : kPlainVarveWidth;
  Layout layout;
  layout.x = {first, end, kLeft, kLeft + (end - first) * varve};
  layout.width = layout.x.to_high + kRight;
  double bottom = kPlotTop - kPanelGap;
  for (int panel = 0; panel < 2; ++panel) {
    auto [low, high] = offset_range(by_sequence[panel]);
    layout.top[panel] = bottom + kPanelGap + kHeaderHeight;
    layout.panel[panel] = std::max(kMinPanelHeight, (high - low + 2) * kSpacing);
    bottom = layout.top[panel] + layout.panel[panel];
  }
  layout.height = bottom + kAxisTitleBelow + kBottomMargin;
  return layout;
}

/// A small triangle centred on (x, y), pointing up or down; or a diamond.
void add_marker_path(std::string& out, double x, double y, Relation relation, bool diamond) {
  if (diamond) {
    add(out, "<path d=\"M", x, ' ', y - 6, "L", x + 5, ' ', y, "L", x, ' ', y + 6, "L", x - 5, ' ',
        y, "Z\"/>");
  } else if (relation == Relation::kSplit) {
    add(out, "<path d=\"M", x, ' ', y - 5, "L", x + 5, ' ', y + 4, "L", x - 5, ' ', y + 4, "Z\"/>");
  } else {
    add(out, "<path d=\"M", x, ' ', y + 5, "L", x + 5, ' ', y - 4, "L", x - 5, ' ', y - 4, "Z\"/>");
  }
}

/// The y axis of one panel: its offsets, with one varve to spare each side.
Scale panel_scale(const Layout& layout, int panel, const std::vector<Segment>& segments) {
  auto [low, high] = offset_range(segments);
  double top = layout.top[panel];
  return {low - 1.0, high + 1.0, top + layout.panel[panel], top};
}

/// "NE-LC 5580-5700", "AM 3021": a run of numbers of one chronology.
template <class Number>
std::string run_name(std::string_view chronology, chronology::Range<Number> run) {
  std::string name(chronology);
  add(name, ' ', run.first);
  if (run.last != run.first) {
    add(name, '-', run.last);
  }
  return name;
}

/// True when `link` is one of the corrections inside `part`.
bool inside(const chronology::SequenceSpan* part, const Link& link) {
  if (part == nullptr) {
    return false;
  }
  return std::find(part->corrections.begin(), part->corrections.end(), link) !=
         part->corrections.end();
}

/// Calls `tick` with each offset a panel's y axis marks: every varve when the
/// panel spans few, else every fifth, within its varve to spare each side.
template <class Tick>
void for_each_offset_tick(const std::vector<Segment>& segments, Tick tick) {
  auto [low, high] = offset_range(segments);
  std::int32_t step = high - low <= 8 ? 1 : 5;
  for (std::int32_t v = (low / step) * step; v <= high + 1; v += step) {
    if (v >= low - 1) {
      tick(v);
    }
  }
}

void add_panel(std::string& out, const Layout& layout, int panel,
               const std::vector<Segment>& segments, Span view_overlap, Direction direction,
               const chronology::SequenceSpan* span) {
  const Scale& x = layout.x;
  Scale y = panel_scale(layout, panel, segments);
  double top = layout.top[panel];
  double height = layout.panel[panel];
  double bottom = top + height;
  double left = x.to_low;
  double right = x.to_high;
  auto sequence = segments.front().link.sequence;
  std::string_view css = sequence == Sequence::kLc ? "vc-lc" : "vc-uc";

  add(out, "<g class=\"vc-panel\" data-sequence=\"", sequence_label(sequence), "\">");
  add(out, "<rect class=\"vc-frame\" x=\"", left, "\" y=\"", top, "\" width=\"", right - left,
      "\" height=\"", height, "\"/>");
  if (view_overlap.first <= view_overlap.last) {
    add(out, "<rect class=\"vc-overlap\" x=\"", x(view_overlap.first), "\" y=\"", top,
        "\" width=\"", x(view_overlap.last + 1) - x(view_overlap.first), "\" height=\"", height,
        "\"><title>", direction == Direction::kNeToAm ? "NE " : "AM ", view_overlap.first, "-",
        view_overlap.last,
        ": LC and UC overlap (AM varves with a varve of each sequence)</title></rect>");
  }
  if (span != nullptr) {
    // The span's numbers in this chronology: its NE varves, or the AM varves
    // this sequence covers.
    bool ne = direction == Direction::kNeToAm;
    chronology::GivenRange own = ne ? plain(span->ne) : plain(span->am);
    std::string name = ne ? run_name(sequence_label(sequence), span->ne) : run_name("AM", span->am);
    std::string other =
        ne ? run_name("AM", span->am) : run_name(sequence_label(sequence), span->ne);
    add(out, "<rect class=\"vc-span\" x=\"", x(own.first), "\" y=\"", top, "\" width=\"",
        x(own.last + 1) - x(own.first), "\" height=\"", height, "\"><title>", name,
        ", the span marked: ", other, "</title></rect>");
  }
  for_each_offset_tick(segments, [&](std::int32_t v) {
    add(out, "<line class=\"vc-grid\" x1=\"", left, "\" x2=\"", right, "\" y1=\"", y(v), "\" y2=\"",
        y(v), "\"/>");
  });
  // The numbers of the x axis; one at the plot's left edge begins there, clear of the y axis.
  for (GivenNumber v = (static_cast<GivenNumber>(x.from_low) + kXTick - 1) / kXTick * kXTick;
       v <= x.from_high; v += kXTick) {
    add(out, "<line class=\"vc-grid\" x1=\"", x(v), "\" x2=\"", x(v), "\" y1=\"", top, "\" y2=\"",
        bottom, "\"/><text x=\"", x(v), "\" y=\"", bottom + kXNumbersBelow, "\" text-anchor=\"",
        v == x.from_low ? "start" : "middle", "\">", v, "</text>");
  }

  // The step line: each link level across its run, steps where runs meet.
  add(out, "<path class=\"vc-line ", css, "\" d=\"");
  const Segment* previous = nullptr;
  for (const Segment& s : segments) {
    if (previous == nullptr || s.first != previous->last + 1) {
      add(out, "M", x(s.first), ' ', y(s.offset));
    } else if (s.offset != previous->offset) {
      add(out, "V", y(s.offset));
    }
    add(out, "H", x(s.last + 1));
    previous = &s;
  }
  out.append("\"/>");

  // One marker per split and join, where its step is.
  for (const Segment& s : segments) {
    if (s.link.relation == Relation::kCorresponds) {
      continue;
    }
    std::string name = link_name(s.link);
    double cx = x(s.last + 1);
    double cy = y(s.offset);
    add(out, "<g class=\"vc-step ", s.link.relation == Relation::kSplit ? "vc-split" : "vc-join",
        s.link.false_couplets ? " vc-false-couplets" : "",
        inside(span, s.link) ? " vc-in-span" : "", "\" data-name=\"", name, "\"><title>", name,
        "</title><rect class=\"vc-hit\" x=\"", cx - kTarget / 2, "\" y=\"", cy - kTarget / 2,
        "\" width=\"", kTarget, "\" height=\"", kTarget, "\" rx=\"3\"/>");
    add_marker_path(out, cx, cy, s.link.relation, s.link.false_couplets);
    out.append("</g>");
  }
  out.append("</g>");
}

/// The y axis of one panel, with what it shows in words above it: the axis
/// line, the offsets' numbers and the panel's header band, which names its
/// sequence and its y axis.
void add_axis(std::string& out, const Layout& layout, int panel,
              const std::vector<Segment>& segments) {
  Scale y = panel_scale(layout, panel, segments);
  double top = layout.top[panel];
  double bottom = top + layout.panel[panel];
  std::string_view name = sequence_label(segments.front().link.sequence);
  add(out, "<line class=\"vc-axis-line\" x1=\"", kLeft, "\" x2=\"", kLeft, "\" y1=\"", top,
      "\" y2=\"", bottom, "\"/>");
  for_each_offset_tick(segments, [&](std::int32_t v) {
    add(out, "<text x=\"", kLeft - 6, "\" y=\"", y(v) + 4, "\" text-anchor=\"end\">", v, "</text>");
  });
  double band = top - kHeaderHeight;
  add(out, "<text class=\"vc-name\" x=\"", kHeaderLeft, "\" y=\"", band + 16, "\">", name,
      name == "NE-LC" ? " (Lower Connecticut)" : " (Upper Connecticut)", "</text><text x=\"",
      kHeaderLeft, "\" y=\"", band + 32, "\">AM number minus ", name, " number (varves)</text>");
}

/// Begins a key of the legend at `x`: its swatch is drawn in the box from
/// (0, -8) to (24, 8), its label follows.
void begin_key(std::string& out, double x) {
  add(out, "<g class=\"vc-key\" transform=\"translate(", x, ' ', kLegendY, ")\">");
}

/// Ends a key with its label; returns where the next key begins.
double end_key(std::string& out, double x, std::string_view label) {
  add(out, "<text x=\"30\" y=\"4\">", label, "</text></g>");
  return x + 30 + static_cast<double>(label.size()) * kCharacterWidth + 16;
}

/// The legend: a key for each kind of line, marker and band, each a group of
/// its own, so that the page can lay the keys out to its width.
void add_legend(std::string& out, bool span) {
  double x = kLeft;
  add(out, "<g class=\"vc-legend\">");
  for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
    begin_key(out, x);
    add(out, "<path class=\"vc-line ", sequence == Sequence::kLc ? "vc-lc" : "vc-uc",
        "\" d=\"M0 0h24\"/>");
    x = end_key(out, x, sequence_label(sequence));
  }
  struct Marker {
    std::string_view css;
    Relation relation;
    bool diamond;
    std::string_view label;
  };
  for (const Marker& marker :
       {Marker{"vc-split", Relation::kSplit, false, "split (step up)"},
        Marker{"vc-join", Relation::kJoined, false, "joined (step down)"},
        Marker{"vc-false-couplets", Relation::kJoined, true, "joined, false annual couplets"}}) {
    begin_key(out, x);
    add(out, "<g class=\"", marker.css, "\">");
    add_marker_path(out, 12, 0, marker.relation, marker.diamond);
    out.append("</g>");
    x = end_key(out, x, marker.label);
  }
  begin_key(out, x);
  out.append("<rect class=\"vc-overlap\" x=\"0\" y=\"-7\" width=\"24\" height=\"14\"/>");
  x = end_key(out, x, "LC and UC overlap");
  begin_key(out, x);
  out.append("<path class=\"vc-mark\" d=\"M12 -8v16\"/>");
  x = end_key(out, x, "number marked");
  if (span) {
    begin_key(out, x);
    out.append("<rect class=\"vc-span\" x=\"0\" y=\"-7\" width=\"24\" height=\"14\"/>");
    x = end_key(out, x, "span marked");
    begin_key(out, x);
    out.append(
        "<g class=\"vc-in-span\"><rect class=\"vc-hit\" x=\"4\" y=\"-8\" width=\"16\" "
        "height=\"16\" rx=\"3\"/></g>");
    end_key(out, x, "correction inside the span");
  }
  out.append("</g>");
}

}  // namespace

std::vector<Segment> segments(Direction direction, Sequence sequence) {
  std::vector<Segment> result;
  for (chronology::GivenRange range : chronology::accepted_ranges(direction)) {
    for (GivenNumber n = range.first; n <= range.last; ++n) {
      for (const Link& link : chronology::links_of(direction, n)) {
        if (link.sequence != sequence) {
          continue;
        }
        // A run of corresponding varves at one offset is one segment.
        bool same_level = !result.empty() && result.back().last + 1 == n &&
                          link.relation == Relation::kCorresponds &&
                          result.back().link.relation == Relation::kCorresponds &&
                          result.back().offset == offset_of(link);
        if (same_level ||
            (!result.empty() && result.back().link == link && result.back().last + 1 == n)) {
          result.back().last = n;
          result.back().am_last = link.am_last;
        } else {
          result.push_back({link, n, n, offset_of(link), link.am_last});
        }
      }
    }
  }
  return result;
}

std::string link_name(const Link& link) {
  std::string name(sequence_label(link.sequence));
  name += ' ';
  switch (link.relation) {
    case Relation::kCorresponds:
      add(name, link.ne_first, " corresponds to AM ", link.am_first);
      break;
    case Relation::kSplit:
      add(name, link.ne_first, " split into AM ", link.am_first, "-", link.am_last);
      break;
    case Relation::kJoined:
      add(name, link.ne_first, "-", link.ne_last, " joined into AM ", link.am_first);
      if (link.false_couplets) {
        name += ", false annual couplets";
      }
      break;
  }
  return name;
}

std::string correspondence_svg(Direction direction, std::optional<GivenNumber> mark,
                               std::optional<chronology::GivenRange> span) {
  bool ne = direction == Direction::kNeToAm;
  std::array<std::vector<Segment>, 2> by_sequence{segments(direction, Sequence::kLc),
                                                  segments(direction, Sequence::kUc)};
  Layout layout = layout_of(direction, by_sequence);
  Span am_overlap = overlap_of_am(by_sequence);
  // The parts of a converted span, by panel.
  std::array<std::optional<chronology::SequenceSpan>, 2> span_parts;
  if (span) {
    chronology::SpanResult result = chronology::span_of(direction, span->first, span->last);
    for (const chronology::SequenceSpan& part : result.spans) {
      span_parts[static_cast<int>(part.sequence)] = part;
    }
  }
  bool span_drawn = span_parts[0] || span_parts[1];

  std::string out;
  out.reserve(40 * 1024);
  add(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"",
      " class=\"vc-chart\" viewBox=\"0 0 ", layout.width, ' ', layout.height, "\" width=\"",
      layout.width, "\" height=\"", layout.height, "\" data-plot-top=\"", kPlotTop,
      "\" role=\"img\" aria-labelledby=\"vc-chart-title\">");
  add(out, "<title id=\"vc-chart-title\">The AM number minus the NE number against the ",
      ne ? "NE" : "AM", " varve number, in a panel for each NE sequence (NE-LC, NE-UC)</title>");
  out.append(kStyle);
  add(out, "<rect width=\"", layout.width, "\" height=\"", layout.height, "\" fill=\"#fff\"/>");
  add(out, "<g class=\"vc-head\"><text class=\"vc-title\" x=\"", kLeft, "\" y=\"30\">",
      "Correspondence of the NE and AM varve chronologies</text>");
  add_legend(out, span_drawn);
  out.append("</g><g class=\"vc-plot\">");
  for (int panel = 0; panel < 2; ++panel) {
    Span view_overlap = ne ? overlap_in_ne(by_sequence[panel], am_overlap) : am_overlap;
    add_panel(out, layout, panel, by_sequence[panel], view_overlap, direction,
              span_parts[panel] ? &*span_parts[panel] : nullptr);
  }

  chronology::Links marked;
  if (mark) {
    marked = chronology::links_of(direction, *mark);
  }
  if (!marked.empty()) {
    double mx = layout.x(*mark + 0.5);
    add(out, "<g class=\"vc-marked\" data-number=\"", *mark, "\"><title>", ne ? "NE " : "AM ",
        *mark, "</title>");
    // The line only through the panels of the sequences the number links to.
    for (const Link& link : marked) {
      int panel = static_cast<int>(link.sequence);
      Scale y = panel_scale(layout, panel, by_sequence[panel]);
      add(out, "<line class=\"vc-mark\" x1=\"", mx, "\" x2=\"", mx, "\" y1=\"", layout.top[panel],
          "\" y2=\"", layout.top[panel] + layout.panel[panel],
          "\"/><circle class=\"vc-mark-point\" cx=\"", mx, "\" cy=\"", y(offset_of(link)),
          "\" r=\"5\"/>");
    }
    out.append("</g>");
  }
  // Drawn over the plot, where the page keeps them while the plot scrolls.
  // The cover hides the plot where it has scrolled beneath the y axes.
  add(out, "</g><g class=\"vc-axes\"><rect class=\"vc-cover\" x=\"0\" y=\"", kPlotTop,
      "\" width=\"", kLeft, "\" height=\"", layout.height - kPlotTop, "\"/>");
  for (int panel = 0; panel < 2; ++panel) {
    add_axis(out, layout, panel, by_sequence[panel]);
  }
  add(out, "<text x=\"", kLeft, "\" y=\"", layout.top[1] + layout.panel[1] + kAxisTitleBelow, "\">",
      ne ? "NE" : "AM", " varve number</text></g>");
  out.append("</svg>\n");
  return out;
}

}  // namespace chart
