#include "sentences/result_records.h"

#include "sentences/am_to_ne.h"
#include "sentences/ne_to_am.h"

namespace sentences {
namespace {

using chronology::Link;
using chronology::Links;
using chronology::Relation;
using chronology::Sequence;

/// A result of two values, NE or AM numbers written as the integers they are.
template <class A, class B>
Result result(RecordLayout layout, A a, B b) {
  return {layout, {chronology::plain(a), chronology::plain(b), 0}, 2};
}
/// A result of three values, as above.
template <class A, class B, class C>
Result result(RecordLayout layout, A a, B b, C c) {
  return {layout, {chronology::plain(a), chronology::plain(b), chronology::plain(c)}, 3};
}

/// The note written after a joined run that is also false annual couplets.
void add_false_couplets(std::vector<Result>& results, const Link& link) {
  if (link.false_couplets) {
    results.push_back(result(FalseCoupletLayout, link.ne_first, link.ne_last));
  }
}

/// The results of the one link of an NE number: a sentence in the version of
/// its sequence.
void add_ne_results(std::vector<Result>& results, const Link& link) {
  auto sequence = static_cast<std::size_t>(link.sequence);
  switch (link.relation) {
    case Relation::kCorresponds:
      results.push_back(result(NeCorrespondsLayout[sequence], link.ne_first, link.am_first));
      break;
    case Relation::kSplit:
      results.push_back(
          result(NeSplitLayout[sequence], link.ne_first, link.am_first, link.am_last));
      break;
    case Relation::kJoined:
      results.push_back(result(NeJoinLayout[sequence], link.ne_first, link.ne_last, link.am_first));
      add_false_couplets(results, link);
      break;
  }
}

/// The results of the links of an AM number. An AM varve that corresponds to
/// a varve of each sequence is one sentence naming both.
void add_am_results(std::vector<Result>& results, const Links& links) {
  if (links.size() == 2 && links[0].relation == Relation::kCorresponds &&
      links[1].relation == Relation::kCorresponds) {
    results.push_back(
        result(AmCorrespondsBothLayout, links[0].am_first, links[0].ne_first, links[1].ne_first));
    return;
  }
  for (const Link& link : links) {
    bool lc = link.sequence == Sequence::kLc;
    switch (link.relation) {
      case Relation::kCorresponds:
        results.push_back(
            result(lc ? RecordLayout(AmCorrespondsLcLayout) : RecordLayout(AmCorrespondsUcLayout),
                   link.am_first, link.ne_first));
        break;
      case Relation::kSplit:
        results.push_back(result(lc ? RecordLayout(AmSplitLcLayout) : RecordLayout(AmSplitUcLayout),
                                 link.am_first, link.am_last, link.ne_first));
        break;
      case Relation::kJoined:
        results.push_back(result(lc ? RecordLayout(AmJoinLcLayout) : RecordLayout(AmJoinUcLayout),
                                 link.am_first, link.ne_first, link.ne_last));
        add_false_couplets(results, link);
        break;
    }
  }
}

}  // namespace

std::vector<Result> results_of(chronology::Direction direction, chronology::GivenNumber number) {
  std::vector<Result> results;
  Links links = chronology::links_of(direction, number);
  if (direction == chronology::Direction::kNeToAm) {
    for (const Link& link : links) {
      add_ne_results(results, link);
    }
  } else {
    add_am_results(results, links);
  }
  return results;
}

std::vector<std::string> result_records(chronology::Direction direction,
                                        chronology::GivenNumber number) {
  std::vector<std::string> records;
  for (const Result& r : results_of(direction, number)) {
    for (std::string& record : lay_out(r.layout, r.value_span())) {
      records.push_back(std::move(record));
    }
  }
  return records;
}

}  // namespace sentences
