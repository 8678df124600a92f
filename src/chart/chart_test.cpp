#include "chart/chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace chart {
namespace {

using chronology::Direction;
using chronology::Relation;
using chronology::Sequence;

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// The line steps exactly where a split (one up) or a join (down by the run it
// joins) ends, and nowhere else; its runs never overlap.
TEST(Segments, StepOnlyAfterSplitsAndJoins) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    for (Sequence sequence : {Sequence::kLc, Sequence::kUc}) {
      std::vector<Segment> line = segments(direction, sequence);
      ASSERT_FALSE(line.empty());
      for (std::size_t i = 1; i < line.size(); ++i) {
        const Segment& a = line[i - 1];
        const Segment& b = line[i];
        ASSERT_LT(a.last, b.first);
        if (a.last + 1 != b.first) {
          continue;  // A gap between the accepted ranges.
        }
        int step = a.link.relation == Relation::kSplit    ? 1
                   : a.link.relation == Relation::kJoined ? a.link.ne_first - a.link.ne_last
                                                          : 0;
        EXPECT_EQ(b.offset - a.offset, step)
            << static_cast<int>(direction) << " " << chart::link_name(a.link);
      }
    }
  }
}

// One marker per split and join row of the NE-to-AM table, in either view.
TEST(CorrespondenceSvg, MarksEachSplitAndJoinOfTheTable) {
  std::size_t splits = 0;
  std::size_t joins = 0;
  std::size_t false_couplets = 0;
  for (const chronology::NeRow& row : chronology::NeToAmTable) {
    splits += row.relation == Relation::kSplit;
    joins += row.relation == Relation::kJoined;
    false_couplets += row.false_couplets;
  }
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::string svg = correspondence_svg(direction, std::nullopt);
    EXPECT_EQ(count(svg, "class=\"vc-step vc-split\""), splits);
    EXPECT_EQ(count(svg, "class=\"vc-step vc-join"), joins);
    EXPECT_EQ(count(svg, "vc-false-couplets\" data-name"), false_couplets);
    EXPECT_EQ(count(svg, "class=\"vc-overlap\" x="), 3u) << "one band per panel, and the legend's";
    EXPECT_EQ(count(svg, "class=\"vc-marked\""), 0u);
  }
}

TEST(CorrespondenceSvg, MarksTheLinksOfAnAcceptedNumber) {
  struct Case {
    Direction direction;
    int mark;
    std::size_t points;
  };
  for (const Case& c : std::vector<Case>{{Direction::kNeToAm, 3021, 1},
                                         {Direction::kAmToNe, 6245, 2},
                                         {Direction::kNeToAm, 6500, 0},
                                         {Direction::kAmToNe, -7, 0}}) {
    std::string svg = correspondence_svg(c.direction, c.mark);
    EXPECT_EQ(count(svg, "class=\"vc-mark-point\""), c.points) << c.mark;
    EXPECT_EQ(count(svg, "data-number=\"" + std::to_string(c.mark) + "\""), c.points ? 1u : 0u);
  }
}

/// A number of the SVG text at `at`, moving `at` past it.
double number_at(const std::string& svg, std::size_t& at) {
  std::size_t used = 0;
  double value = std::stod(svg.substr(at, 32), &used);
  at += used;
  return value;
}

/// The number in the attribute `name="..."` that follows `from`.
double attribute(const std::string& svg, std::size_t from, const std::string& name) {
  std::size_t at = svg.find(" " + name + "=\"", from);
  EXPECT_NE(at, std::string::npos) << name;
  at += name.size() + 3;
  return number_at(svg, at);
}

/// One panel as drawn: its frame and the level runs of its step line.
struct Panel {
  double left, top, right, bottom;
  struct Level {
    double from, to, y;
  };
  std::vector<Level> levels;
};

/// The panel of `sequence` ("NE-LC" or "NE-UC") in `svg`.
Panel panel_of(const std::string& svg, const std::string& sequence) {
  std::size_t start = svg.find("<g class=\"vc-panel\" data-sequence=\"" + sequence + "\">");
  EXPECT_NE(start, std::string::npos) << sequence;
  std::size_t frame = svg.find("<rect class=\"vc-frame\"", start);
  Panel panel;
  panel.left = attribute(svg, frame, "x");
  panel.top = attribute(svg, frame, "y");
  panel.right = panel.left + attribute(svg, frame, "width");
  panel.bottom = panel.top + attribute(svg, frame, "height");
  std::size_t at = svg.find("\" d=\"", svg.find("<path class=\"vc-line", start)) + 5;
  double x = 0, y = 0;
  while (svg[at] != '"') {
    char command = svg[at++];
    if (command == 'M') {
      x = number_at(svg, at);
      ++at;  // The blank between the two numbers.
      y = number_at(svg, at);
    } else if (command == 'H') {
      double to = number_at(svg, at);
      panel.levels.push_back({x, to, y});
      x = to;
    } else if (command == 'V') {
      y = number_at(svg, at);
    } else {
      ADD_FAILURE() << "unknown path command " << command;
      break;
    }
  }
  return panel;
}

// Each marked point lies on its own panel's step line, at the marked number,
// inside the plot: for numbers of each sequence, of the overlap and its edges.
TEST(CorrespondenceSvg, PutsEachMarkedPointOnItsPanelsLineAtTheNumber) {
  struct Case {
    Direction direction;
    int mark;
  };
  const Case cases[] = {
      {Direction::kNeToAm, 2500}, {Direction::kNeToAm, 3021}, {Direction::kNeToAm, 5674},
      {Direction::kNeToAm, 6454}, {Direction::kNeToAm, 6460}, {Direction::kNeToAm, 6560},
      {Direction::kNeToAm, 6561}, {Direction::kNeToAm, 6674}, {Direction::kNeToAm, 9000},
      {Direction::kAmToNe, 2500}, {Direction::kAmToNe, 3022}, {Direction::kAmToNe, 5691},
      {Direction::kAmToNe, 6245}, {Direction::kAmToNe, 6357}, {Direction::kAmToNe, 7000},
      {Direction::kAmToNe, 8700},
  };
  // Coordinates are written to a tenth of a unit.
  constexpr double kSlack = 0.11;
  for (const Case& c : cases) {
    std::string svg = correspondence_svg(c.direction, c.mark);
    const Panel panels[] = {panel_of(svg, "NE-LC"), panel_of(svg, "NE-UC")};
    chronology::Links links = chronology::links_of(c.direction, c.mark);
    std::size_t at = svg.find("<g class=\"vc-marked\"");
    ASSERT_NE(at, std::string::npos) << c.mark;
    for (const chronology::Link& link : links) {
      at = svg.find("<circle class=\"vc-mark-point\"", at + 1);
      ASSERT_NE(at, std::string::npos) << c.mark;
      double cx = attribute(svg, at, "cx");
      double cy = attribute(svg, at, "cy");
      const Panel& own = panels[static_cast<int>(link.sequence)];
      const Panel& other = panels[1 - static_cast<int>(link.sequence)];
      std::string where = std::to_string(static_cast<int>(c.direction)) + " " +
                          std::to_string(c.mark) + " " + link_name(link);
      EXPECT_TRUE(cx > own.left && cx < own.right && cy > own.top && cy < own.bottom) << where;
      EXPECT_FALSE(cy >= other.top && cy <= other.bottom) << where;
      bool on_line = false;
      for (const Panel::Level& level : own.levels) {
        on_line = on_line || (cx >= level.from - kSlack && cx <= level.to + kSlack &&
                              std::abs(cy - level.y) <= kSlack);
      }
      EXPECT_TRUE(on_line) << where << " at " << cx << "," << cy;
      // At the marked number: half a varve past its own position on the axis.
      double per_varve =
          (own.right - own.left) / (chronology::accepted_ranges(c.direction).back().last + 1.0 -
                                    chronology::accepted_ranges(c.direction).front().first);
      double expected_x =
          own.left +
          (c.mark + 0.5 - chronology::accepted_ranges(c.direction).front().first) * per_varve;
      EXPECT_NEAR(cx, expected_x, kSlack) << where;
    }
    EXPECT_EQ(svg.find("<circle class=\"vc-mark-point\"", at + 1), std::string::npos) << c.mark;
  }
}

/// A step marker's target as drawn: its box and its group's classes.
struct Target {
  double x, y, width, height;
  std::string classes;
};

/// The targets of every step marker in `svg`, in the order drawn.
std::vector<Target> targets_of(const std::string& svg) {
  std::vector<Target> targets;
  const std::string group = "<g class=\"vc-step ";
  for (std::size_t at = svg.find(group); at != std::string::npos; at = svg.find(group, at + 1)) {
    std::size_t classes = at + group.size() - 8;
    std::string names = svg.substr(classes, svg.find('"', classes) - classes);
    std::size_t hit = svg.find("<rect class=\"vc-hit\"", at);
    targets.push_back({attribute(svg, hit, "x"), attribute(svg, hit, "y"),
                       attribute(svg, hit, "width"), attribute(svg, hit, "height"), names});
  }
  return targets;
}

// Drawn one unit to a CSS pixel, every marker is a target of 24 by 24 or
// more, and no two targets overlap, so each can be tapped.
TEST(CorrespondenceSvg, GivesEachMarkerATargetNoOtherCovers) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::string svg = correspondence_svg(direction, std::nullopt);
    std::size_t root = svg.find("<svg");
    // One unit to a pixel: the view box is as wide as the figure.
    std::size_t view = svg.find("viewBox=\"0 0 ", root) + 13;
    EXPECT_EQ(number_at(svg, view), attribute(svg, root, "width"));
    std::vector<Target> targets = targets_of(svg);
    ASSERT_EQ(targets.size(), 29u);
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const Target& a = targets[i];
      EXPECT_GE(a.width, 24);
      EXPECT_GE(a.height, 24);
      EXPECT_GE(a.x, 0);
      EXPECT_LE(a.x + a.width, attribute(svg, root, "width"));
      for (std::size_t j = i + 1; j < targets.size(); ++j) {
        const Target& b = targets[j];
        bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                     b.y + b.height <= a.y;
        EXPECT_TRUE(apart) << static_cast<int>(direction) << ": targets " << i << " and " << j
                           << " at " << a.x << "," << a.y << " and " << b.x << "," << b.y;
      }
    }
  }
}

/// The vertical runs of the number-marked lines in `svg`, as (top, bottom).
std::vector<std::pair<double, double>> mark_lines(const std::string& svg) {
  std::vector<std::pair<double, double>> lines;
  const std::string line = "<line class=\"vc-mark\"";
  for (std::size_t at = svg.find(line); at != std::string::npos; at = svg.find(line, at + 1)) {
    lines.emplace_back(attribute(svg, at, "y1"), attribute(svg, at, "y2"));
  }
  return lines;
}

// The marked number's line crosses only the panels of the sequences it links to.
TEST(CorrespondenceSvg, DrawsTheMarkedLineOnlyInItsOwnPanels) {
  struct Case {
    Direction direction;
    int mark;
    std::vector<std::string> panels;
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm, 3021, {"NE-LC"}},          {Direction::kNeToAm, 6674, {"NE-UC"}},
      {Direction::kAmToNe, 6245, {"NE-LC", "NE-UC"}}, {Direction::kAmToNe, 2600, {"NE-LC"}},
      {Direction::kAmToNe, 8000, {"NE-UC"}},
  };
  for (const Case& c : cases) {
    std::string svg = correspondence_svg(c.direction, c.mark);
    std::vector<std::pair<double, double>> lines = mark_lines(svg);
    ASSERT_EQ(lines.size(), c.panels.size()) << c.mark;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      Panel panel = panel_of(svg, c.panels[i]);
      EXPECT_EQ(lines[i].first, panel.top) << c.mark;
      EXPECT_EQ(lines[i].second, panel.bottom) << c.mark;
    }
  }
}

// A span converted is shaded over its numbers in each panel whose sequence
// it reaches, and exactly the corrections inside it are highlighted; a span
// not converted marks nothing.
TEST(CorrespondenceSvg, ShadesASpanAndHighlightsTheCorrectionsInside) {
  struct Band {
    std::string panel;
    int first, last;  ///< The numbers of the direction's chronology it covers.
  };
  struct Case {
    Direction direction;
    chronology::GivenRange span;
    std::vector<Band> bands;
    std::vector<std::string> highlighted;  ///< The names of the markers highlighted.
  };
  const std::vector<Case> cases = {
      {Direction::kNeToAm,
       {5580, 5700},
       {{"NE-LC", 5580, 5700}},
       {"NE-LC 5594-5595 joined into AM 5613", "NE-LC 5607 split into AM 5625-5626",
        "NE-LC 5672-5676 joined into AM 5691, false annual couplets",
        "NE-LC 5680-5681 joined into AM 5695"}},
      // An end inside a join: the join is inside the span.
      {Direction::kNeToAm,
       {4282, 4300},
       {{"NE-LC", 4282, 4300}},
       {"NE-LC 4281-4282 joined into AM 4294"}},
      {Direction::kAmToNe, {6200, 6300}, {{"NE-LC", 6200, 6300}, {"NE-UC", 6245, 6300}}, {}},
      {Direction::kAmToNe,
       {6300, 6700},
       {{"NE-LC", 6300, 6468}, {"NE-UC", 6300, 6700}},
       {"NE-UC 6674 split into AM 6357-6358", "NE-UC 6744-6745 joined into AM 6428",
        "NE-UC 6951-6952 joined into AM 6634"}},
      {Direction::kNeToAm, {6400, 6500}, {}, {}},
      // The top first is the same span, shaded from its smaller end.
      {Direction::kNeToAm,
       {5700, 5580},
       {{"NE-LC", 5580, 5700}},
       {"NE-LC 5594-5595 joined into AM 5613", "NE-LC 5607 split into AM 5625-5626",
        "NE-LC 5672-5676 joined into AM 5691, false annual couplets",
        "NE-LC 5680-5681 joined into AM 5695"}},
  };
  for (const Case& c : cases) {
    std::string svg = correspondence_svg(c.direction, std::nullopt, c.span);
    std::string where = std::to_string(static_cast<int>(c.direction)) + " " +
                        std::to_string(c.span.first) + "-" + std::to_string(c.span.last);
    EXPECT_EQ(count(svg, "<rect class=\"vc-span\" x="), c.bands.size() + (c.bands.empty() ? 0 : 1))
        << where << ": a band per panel, and the legend's";
    for (const Band& band : c.bands) {
      std::size_t panel_at = svg.find("data-sequence=\"" + band.panel + "\"");
      std::size_t at = svg.find("<rect class=\"vc-span\"", panel_at);
      ASSERT_LT(at, svg.find("</g>", svg.find("<path class=\"vc-line", panel_at))) << where;
      Panel panel = panel_of(svg, band.panel);
      auto ranges = chronology::accepted_ranges(c.direction);
      double per_varve =
          (panel.right - panel.left) / (ranges.back().last + 1.0 - ranges.front().first);
      double x = attribute(svg, at, "x");
      EXPECT_NEAR(x, panel.left + (band.first - ranges.front().first) * per_varve, 0.11) << where;
      EXPECT_NEAR(x + attribute(svg, at, "width"),
                  panel.left + (band.last + 1 - ranges.front().first) * per_varve, 0.2)
          << where;
      EXPECT_EQ(attribute(svg, at, "y"), panel.top) << where;
    }
    std::vector<std::string> highlighted;
    std::size_t name_at = 0;
    for (const Target& target : targets_of(svg)) {
      name_at = svg.find("data-name=\"", svg.find("<g class=\"vc-step ", name_at + 1)) + 11;
      if (target.classes.find("vc-in-span") != std::string::npos) {
        highlighted.push_back(svg.substr(name_at, svg.find('"', name_at) - name_at));
      }
    }
    EXPECT_EQ(highlighted, c.highlighted) << where;
    EXPECT_EQ(svg.find("span marked") != std::string::npos, !c.bands.empty()) << where;
  }
  // Without a span the chart is as before.
  EXPECT_EQ(correspondence_svg(Direction::kNeToAm, 3021, std::nullopt),
            correspondence_svg(Direction::kNeToAm, 3021));
}

/// The element `<g class="NAME` ...> ... </g>` of `svg` from `from` on, nested groups included.
std::string group_of(const std::string& svg, const std::string& name, std::size_t from = 0) {
  std::size_t start = svg.find("<g class=\"" + name, from);
  if (start == std::string::npos) {
    ADD_FAILURE() << "no group " << name;
    return {};
  }
  std::size_t at = start + 1;
  for (int depth = 1; depth > 0;) {
    std::size_t open = svg.find("<g ", at);
    std::size_t close = svg.find("</g>", at);
    if (open < close) {
      ++depth;
      at = open + 1;
    } else {
      --depth;
      at = close + 4;
    }
  }
  return svg.substr(start, at - start);
}

/// Every number in the attributes `names` of `part`.
std::vector<double> values(const std::string& part, std::vector<std::string> names) {
  std::vector<double> found;
  for (const std::string& name : names) {
    const std::string attribute = " " + name + "=\"";
    for (std::size_t at = part.find(attribute); at != std::string::npos;
         at = part.find(attribute, at + 1)) {
      std::size_t value = at + attribute.size();
      found.push_back(number_at(part, value));
    }
  }
  return found;
}

/// A line of text as drawn: its baseline, where it begins and what it says.
struct Text {
  double x, y;
  std::string anchor, words;
};

std::vector<Text> texts_of(const std::string& part) {
  std::vector<Text> texts;
  for (std::size_t at = part.find("<text"); at != std::string::npos;
       at = part.find("<text", at + 1)) {
    std::size_t end = part.find('>', at);
    std::string tag = part.substr(at, end - at);
    std::size_t anchor = tag.find("text-anchor=\"");
    texts.push_back({attribute(tag, 0, "x"), attribute(tag, 0, "y"),
                     anchor == std::string::npos
                         ? "start"
                         : tag.substr(anchor + 13, tag.find('"', anchor + 13) - anchor - 13),
                     part.substr(end + 1, part.find("</text>", end) - end - 1)});
  }
  return texts;
}

// The page keeps the title and legend above data-plot-top out of the figure,
// and lays the axes group over the plot as it scrolls: so the head lies
// wholly above the plot, nothing of the plot lies in the y axes' column, which
// the axes' cover hides, and no text of the axes that reaches past that
// column shares a line with the plot's frames or its x axis's numbers.
TEST(CorrespondenceSvg, KeepsThePartsThePageSplitsApart) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    int mark = direction == Direction::kNeToAm ? 2500 : 6245;
    std::string svg = correspondence_svg(direction, mark, chronology::GivenRange{2500, 6400});
    std::string where = std::to_string(static_cast<int>(direction));
    double plot_top = attribute(svg, svg.find("<svg"), "data-plot-top");
    double height = attribute(svg, svg.find("<svg"), "height");
    std::string head = group_of(svg, "vc-head");
    std::string plot = group_of(svg, "vc-plot");
    std::string axes = group_of(svg, "vc-axes");
    ASSERT_LT(svg.find(plot), svg.find(axes)) << where << ": the axes are drawn over the plot";

    for (const Text& text : texts_of(head)) {
      EXPECT_LE(text.y + 4, plot_top) << where << " " << text.words;
    }
    for (std::size_t at = head.find("translate("); at != std::string::npos;
         at = head.find("translate(", at + 1)) {
      std::size_t y = head.find(' ', at) + 1;
      EXPECT_LE(number_at(head, y) + 10, plot_top) << where << ": a legend key";
    }
    for (double y : values(plot + axes, {"y", "y1", "y2", "cy"})) {
      EXPECT_GE(y, plot_top) << where;
      EXPECT_LE(y, height) << where;
    }

    std::size_t cover_at = axes.find("<rect class=\"vc-cover\"");
    ASSERT_NE(cover_at, std::string::npos) << where;
    double column = attribute(axes, cover_at, "width");
    EXPECT_EQ(attribute(axes, cover_at, "y"), plot_top) << where;
    EXPECT_EQ(attribute(axes, cover_at, "height"), height - plot_top) << where;
    for (double x : values(plot, {"x", "x1", "x2", "cx"})) {
      EXPECT_GE(x, column) << where << ": drawn beneath the y axes";
    }
    for (const Text& text : texts_of(plot)) {
      if (text.anchor == "middle") {
        EXPECT_GE(text.x - 2 * text.words.size(), column) << where << " " << text.words;
      }
    }

    // The lines the plot's frames and texts take up, from top to bottom.
    std::vector<std::pair<double, double>> taken;
    for (const char* sequence : {"NE-LC", "NE-UC"}) {
      Panel panel = panel_of(svg, sequence);
      taken.emplace_back(panel.top, panel.bottom);
    }
    for (const Text& text : texts_of(plot)) {
      taken.emplace_back(text.y - 12, text.y + 4);
    }
    for (const Text& text : texts_of(axes)) {
      bool in_column = text.anchor == "end" && text.x <= column;
      if (in_column) {
        continue;
      }
      EXPECT_LE(text.x, column) << where << ": " << text.words << " begins right of the y axes";
      for (auto [top, bottom] : taken) {
        EXPECT_TRUE(text.y + 4 <= top || text.y - 12 >= bottom)
            << where << ": " << text.words << " at " << text.y << " shares a line with the plot at "
            << top << "-" << bottom;
      }
    }
  }
}

// Each panel is named, and its y axis said in words, in the header just above
// its own frame; its offsets are numbered beside its own frame.
TEST(CorrespondenceSvg, NamesEachPanelAndItsYAxisAboveIt) {
  for (Direction direction : {Direction::kNeToAm, Direction::kAmToNe}) {
    std::string svg = correspondence_svg(direction, std::nullopt);
    std::vector<Text> texts = texts_of(group_of(svg, "vc-axes"));
    double previous_bottom = attribute(svg, svg.find("<svg"), "data-plot-top");
    for (const char* sequence : {"NE-LC", "NE-UC"}) {
      std::string name = sequence;
      Panel panel = panel_of(svg, name);
      std::string where = std::to_string(static_cast<int>(direction)) + " " + name;
      std::vector<std::string> header;
      std::vector<std::pair<double, double>> numbers;  // (y, offset), as drawn.
      for (const Text& text : texts) {
        if (text.y > previous_bottom && text.y < panel.top) {
          header.push_back(text.words);
        } else if (text.anchor == "end" && text.y >= panel.top && text.y <= panel.bottom + 4) {
          numbers.emplace_back(text.y, std::stod(text.words));
        }
      }
      std::string long_name = name == "NE-LC" ? " (Lower Connecticut)" : " (Upper Connecticut)";
      EXPECT_EQ(header, (std::vector<std::string>{name + long_name,
                                                  "AM number minus " + name + " number (varves)"}))
          << where;
      // Higher offsets higher up, and the panel's own links' offsets among them.
      ASSERT_FALSE(numbers.empty()) << where;
      std::sort(numbers.begin(), numbers.end());
      for (std::size_t i = 1; i < numbers.size(); ++i) {
        EXPECT_LT(numbers[i].second, numbers[i - 1].second) << where;
      }
      auto [low, high] = std::pair(numbers.back().second, numbers.front().second);
      for (const Segment& s :
           segments(direction, name == "NE-LC" ? Sequence::kLc : Sequence::kUc)) {
        EXPECT_TRUE(s.offset >= low && s.offset <= high) << where << " " << s.offset;
      }
      previous_bottom = panel.bottom;
    }
    EXPECT_EQ(texts.back().words,
              direction == Direction::kNeToAm ? "NE varve number" : "AM varve number");
    EXPECT_GT(texts.back().y, previous_bottom + 16);
  }
}

// The page cuts each legend key's swatch out as a figure of 28 by 20 from
// (-2, -10) and writes its label as text: every key has one label after its
// swatch, and the swatch lies inside that box.
TEST(CorrespondenceSvg, DrawsEachLegendKeyInItsBox) {
  std::string svg =
      correspondence_svg(Direction::kNeToAm, std::nullopt, chronology::GivenRange{5580, 5700});
  std::string legend = group_of(svg, "vc-legend");
  std::vector<std::string> labels;
  for (std::size_t at = legend.find("<g class=\"vc-key\""); at != std::string::npos;
       at = legend.find("<g class=\"vc-key\"", at + 1)) {
    std::string key = group_of(legend, "vc-key", at);
    std::size_t text = key.find("<text");
    ASSERT_NE(text, std::string::npos);
    std::vector<Text> label = texts_of(key);
    ASSERT_EQ(label.size(), 1u);
    labels.push_back(label[0].words);
    std::string swatch = key.substr(0, text);
    ASSERT_TRUE(swatch.find("<path") != std::string::npos ||
                swatch.find("<rect") != std::string::npos)
        << label[0].words;
    // The corners of rectangles, and every point of a path.
    for (std::size_t r = swatch.find("<rect"); r != std::string::npos;
         r = swatch.find("<rect", r + 1)) {
      double x = attribute(swatch, r, "x");
      double y = attribute(swatch, r, "y");
      EXPECT_GE(x, -2) << label[0].words;
      EXPECT_LE(x + attribute(swatch, r, "width"), 26) << label[0].words;
      EXPECT_GE(y, -10) << label[0].words;
      EXPECT_LE(y + attribute(swatch, r, "height"), 10) << label[0].words;
    }
    for (std::size_t d = swatch.find(" d=\""); d != std::string::npos;
         d = swatch.find(" d=\"", d + 1)) {
      double x = 0;
      double y = 0;
      std::size_t at = d + 4;
      while (swatch[at] != '"') {
        char command = swatch[at++];
        if (command == 'M' || command == 'L') {
          x = number_at(swatch, at);
          ++at;
          y = number_at(swatch, at);
        } else if (command == 'h') {
          x += number_at(swatch, at);
        } else if (command == 'v') {
          y += number_at(swatch, at);
        } else if (command == 'Z') {
          continue;
        }
        EXPECT_TRUE(x >= -2 && x <= 26 && y >= -10 && y <= 10)
            << label[0].words << " " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"NE-LC", "NE-UC", "split (step up)",
                                              "joined (step down)", "joined, false annual couplets",
                                              "LC and UC overlap", "number marked", "span marked",
                                              "correction inside the span"}));
}

TEST(LinkName, NamesEachRelation) {
  using chronology::Link;
  EXPECT_EQ(link_name(chronology::short_names::link(Sequence::kLc, Relation::kSplit, 3021, 3021,
                                                    3021, 3022)),
            "NE-LC 3021 split into AM 3021-3022");
  EXPECT_EQ(link_name(chronology::short_names::link(Sequence::kLc, Relation::kJoined, 5672, 5676,
                                                    5691, 5691, true)),
            "NE-LC 5672-5676 joined into AM 5691, false annual couplets");
  EXPECT_EQ(link_name(chronology::short_names::link(Sequence::kUc, Relation::kCorresponds, 6562,
                                                    6562, 6245, 6245)),
            "NE-UC 6562 corresponds to AM 6245");
}

}  // namespace
}  // namespace chart
