#include "sentences/span_account.h"

#include <optional>
#include <string_view>

namespace sentences {
namespace {

using chronology::AmNumber;
using chronology::AmRange;
using chronology::Direction;
using chronology::EndPlace;
using chronology::GivenNumber;
using chronology::GivenRange;
using chronology::Link;
using chronology::NeNumber;
using chronology::NeRange;
using chronology::Relation;
using chronology::Sequence;
using chronology::SequenceSpan;
using chronology::SpanFault;
using chronology::SpanResult;

/// "5580-5700", or "5580" for one varve.
std::string numbers(GivenRange range) {
  std::string text = std::to_string(range.first);
  return range.first == range.last ? text : text + "-" + std::to_string(range.last);
}

/// `range`, given in the NE chronology, as NE varves.
NeRange as_ne(GivenRange range) {
  return {NeNumber{range.first}, NeNumber{range.last}};
}

/// `range`, given in the AM chronology, as AM varves.
AmRange as_am(GivenRange range) {
  return {AmNumber{range.first}, AmNumber{range.last}};
}

/// "NE-LC".
std::string ne_name(Sequence sequence) {
  return "NE-" + std::string(chronology::sequence_name(sequence));
}

/// "NE-LC 5580-5700".
std::string ne_text(Sequence sequence, NeRange range) {
  return ne_name(sequence) + " " + numbers(plain(range));
}

/// "AM 5599-5714".
std::string am_text(AmRange range) {
  return "AM " + numbers(plain(range));
}

/// "121 NE varves", "1 NE varve".
std::string count(std::int32_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

/// The note on an end that cuts through `cut`: the first end when `first`.
void add_cut_note(std::vector<std::string>& lines, Direction direction, const SequenceSpan& span,
                  const Link& cut, bool first) {
  std::string end = first ? "  the first end is not exact: " : "  the last end is not exact: ";
  std::string side = first ? ", before the span" : ", after the span";
  if (direction == Direction::kNeToAm) {
    NeNumber at = first ? span.ne.first : span.ne.last;
    NeRange outside =
        first ? NeRange{cut.ne_first, span.ne.first - 1} : NeRange{span.ne.last + 1, cut.ne_last};
    lines.push_back(end + ne_text(cut.sequence, {at, at}) + " lies inside the join " +
                    ne_text(cut.sequence, {cut.ne_first, cut.ne_last}));
    lines.push_back("    (" + am_text({cut.am_first, cut.am_last}) + "), which also holds " +
                    ne_text(cut.sequence, outside) + side);
    return;
  }
  AmNumber at = first ? span.am.first : span.am.last;
  AmNumber other = first ? cut.am_first : cut.am_last;
  lines.push_back(end + am_text({at, at}) + " is one half of " +
                  ne_text(cut.sequence, {cut.ne_first, cut.ne_last}) + ", split into");
  lines.push_back("    " + am_text({cut.am_first, cut.am_last}) + "; the other half, " +
                  am_text({other, other}) + ", lies" + side.substr(1));
}

/// The headline and details of one sequence's part of a converted span.
void add_sequence_span(std::vector<std::string>& lines, const SpanResult& result,
                       const SequenceSpan& span) {
  bool from_ne = result.direction == Direction::kNeToAm;
  std::string ne = count(span.ne_varves(), "NE varve", "NE varves");
  std::string am = count(span.am_varves(), "AM varve (year)", "AM varves (years)");
  if (from_ne) {
    lines.push_back(ne_text(span.sequence, span.ne) + " spans " + am_text(span.am));
    lines.push_back("  duration: " + ne + ", " + am);
  } else {
    std::string headline = am_text(span.am) + " spans " + ne_text(span.sequence, span.ne);
    std::string covers = " (" + ne_name(span.sequence) + " covers no AM varve ";
    AmRange given = as_am(result.given);
    std::string before = std::to_string(span.am.first.value());
    std::string after = std::to_string(span.am.last.value());
    if (span.am.first > given.first && span.am.last < given.last) {
      headline += covers + "before " + before + " or after " + after + ")";
    } else if (span.am.first > given.first) {
      headline += covers + "before " + before + ")";
    } else if (span.am.last < given.last) {
      headline += covers + "after " + after + ")";
    }
    lines.push_back(headline);
    lines.push_back("  duration: " + am + ", " + ne);
  }
  if (span.corrections.empty()) {
    lines.push_back(from_ne ? "  no corrections inside: one AM varve to each NE varve"
                            : "  no corrections inside: one NE varve to each AM varve");
  } else {
    lines.push_back("  corrections inside (" + std::to_string(span.corrections.size()) + "):");
    for (const Link& link : span.corrections) {
      lines.push_back("    " + correction_text(link));
    }
  }
  if (span.first_cut) {
    add_cut_note(lines, result.direction, span, *span.first_cut, true);
  }
  if (span.last_cut) {
    add_cut_note(lines, result.direction, span, *span.last_cut, false);
  }
}

/// "NE" or "AM": the chronology of the numbers given.
std::string chronology_of(Direction direction) {
  return direction == Direction::kNeToAm ? "NE" : "AM";
}

/// The accepted range of `direction` that an end at `place` lies beyond or
/// between, as "NE-LC 2500-6460" or "AM 2500-8700".
std::string range_text(Direction direction, EndPlace place) {
  if (direction == Direction::kAmToNe) {
    return am_text(chronology::kAmRange);
  }
  std::string lc = ne_text(Sequence::kLc, chronology::kNeLcRange);
  std::string uc = ne_text(Sequence::kUc, chronology::kNeUcRange);
  return place == EndPlace::kBelow ? lc : place == EndPlace::kAbove ? uc : lc + " and " + uc;
}

/// Why an end at `place` is not accepted.
std::string place_text(Direction direction, EndPlace place) {
  switch (place) {
    case EndPlace::kBelow:
      return "lies below the accepted range " + range_text(direction, place);
    case EndPlace::kAbove:
      return "lies above the accepted range " + range_text(direction, place);
    case EndPlace::kInGap:
      return "lies in the gap between " + range_text(direction, place);
    case EndPlace::kAccepted:
      break;
  }
  return "is accepted";
}

/// The reasons a span is not converted, a line each without indent.
std::vector<std::string> fault_reasons(const SpanResult& result) {
  std::string name = chronology_of(result.direction);
  auto end = [&](GivenNumber n) { return name + " " + std::to_string(n); };
  std::vector<std::string> reasons;
  switch (result.fault) {
    case SpanFault::kNone:
      return reasons;
    case SpanFault::kSequencesDiffer:
      reasons.push_back("its ends lie in different NE sequences, " + end(result.given.first) +
                        " in " + ne_name(result.inside[0].sequence.value_or(Sequence::kLc)) +
                        " and " + end(result.given.last) + " in " +
                        ne_name(result.inside[1].sequence.value_or(Sequence::kUc)));
      break;
    case SpanFault::kOutside:
      if (result.first_place != EndPlace::kAccepted) {
        reasons.push_back("its first end, " + end(result.given.first) + ", " +
                          place_text(result.direction, result.first_place));
      }
      if (result.last_place != EndPlace::kAccepted) {
        reasons.push_back("its last end, " + end(result.given.last) + ", " +
                          place_text(result.direction, result.last_place));
      }
      break;
  }
  std::string parts;
  for (const chronology::SpanPart& part : result.inside) {
    parts += parts.empty() ? "" : " and ";
    parts +=
        part.sequence ? ne_text(*part.sequence, as_ne(part.range)) : am_text(as_am(part.range));
  }
  if (parts.empty()) {
    reasons.push_back("no part of it lies inside");
  } else {
    reasons.push_back((result.inside.size() == 1 ? "the part inside: " : "the parts inside: ") +
                      parts);
  }
  return reasons;
}

/// "NE 5700-5580 is not converted".
std::string fault_headline(const SpanResult& result) {
  return chronology_of(result.direction) + " " + std::to_string(result.given.first) + "-" +
         std::to_string(result.given.last) + " is not converted";
}

}  // namespace

std::vector<std::string> span_account(const SpanResult& span) {
  std::vector<std::string> lines;
  if (!span.converted()) {
    lines.push_back(fault_headline(span) + ":");
    for (const std::string& reason : fault_reasons(span)) {
      lines.push_back("  " + reason);
    }
    return lines;
  }
  for (const SequenceSpan& part : span.spans) {
    add_sequence_span(lines, span, part);
  }
  return lines;
}

std::string correction_text(const Link& link) {
  std::string ne = ne_text(link.sequence, {link.ne_first, link.ne_last});
  std::string am = am_text({link.am_first, link.am_last});
  if (link.relation == Relation::kSplit) {
    return ne + " split into " + am;
  }
  return ne + " joined into " + am + (link.false_couplets ? ", false annual couplets" : "");
}

std::string span_caveat(const SpanResult& span) {
  if (!span.converted()) {
    return {};
  }
  std::vector<std::string> caveats;
  bool ne_to_am = span.direction == Direction::kNeToAm;
  for (const SequenceSpan& part : span.spans) {
    if (!ne_to_am && part.am != as_am(span.given)) {
      caveats.push_back(ne_name(part.sequence) + " covers " + am_text(part.am) + " only");
    }
    bool one_cut = part.first_cut && part.first_cut == part.last_cut;
    for (bool first : {true, false}) {
      const std::optional<Link>& cut = first ? part.first_cut : part.last_cut;
      if (!cut || (one_cut && !first)) {
        continue;
      }
      std::string end = one_cut ? "both ends" : first ? "the first end" : "the last end";
      if (ne_to_am) {
        caveats.push_back(end + (one_cut ? " lie" : " lies") + " inside the join " +
                          ne_text(cut->sequence, {cut->ne_first, cut->ne_last}) + " (" +
                          am_text({cut->am_first, cut->am_last}) + ")");
      } else {
        caveats.push_back(end + " is one half of " +
                          ne_text(cut->sequence, {cut->ne_first, cut->ne_last}) + ", split into " +
                          am_text({cut->am_first, cut->am_last}));
      }
    }
  }
  if (caveats.empty()) {
    return {};
  }
  std::string caveat =
      (ne_to_am ? ne_text(span.spans[0].sequence, as_ne(span.given)) : am_text(as_am(span.given))) +
      ": ";
  for (std::size_t i = 0; i < caveats.size(); ++i) {
    caveat += (i == 0 ? "" : "; ") + caveats[i];
  }
  return caveat;
}

std::string span_fault_message(const SpanResult& span) {
  if (span.converted()) {
    return {};
  }
  std::string message = fault_headline(span) + ": ";
  std::vector<std::string> reasons = fault_reasons(span);
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    message += (i == 0 ? "" : "; ") + reasons[i];
  }
  return message;
}

}  // namespace sentences
