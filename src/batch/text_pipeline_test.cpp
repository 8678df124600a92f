#include "batch/text_pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

/// What a pipeline did with a file, as its steps saw it.
struct Piped {
  /// "start N" (N the encoding), "text ..." (the text fed, pieces joined) and
  /// "finish", in order.
  std::vector<std::string> steps;
  std::string out;  ///< What the steps wrote, encoded back as the file was.
  bool whole = true;
  TextStop stop = TextStop::kNone;
};

/// Runs `bytes` through a pipeline in pieces of `piece` bytes, with steps that
/// echo the text and stop on a '!' in it (and, at the end, on `finish_fails`).
Piped run(std::string_view bytes, std::size_t piece, bool finish_fails = false) {
  Piped r;
  TextSteps steps;
  steps.start = [&r](TextEncoding encoding, std::string&) {
    r.steps.push_back("start " + std::to_string(static_cast<int>(encoding)));
  };
  steps.feed = [&r](std::string_view text, std::string& out) {
    if (!r.steps.back().starts_with("text ")) {
      r.steps.emplace_back("text ");
    }
    r.steps.back().append(text);
    out.append(text);
    return text.find('!') == std::string_view::npos;
  };
  steps.finish = [&r, finish_fails](std::string&) {
    r.steps.emplace_back("finish");
    return !finish_fails;
  };
  TextPipeline pipeline(std::move(steps));
  std::string text;
  for (std::size_t at = 0; at < bytes.size() && r.whole; at += piece) {
    r.whole = pipeline.feed(bytes.substr(at, piece), text);
  }
  r.whole = r.whole && pipeline.finish(text);
  // Once stopped, it stays stopped.
  EXPECT_FALSE(!r.whole && (pipeline.feed("x", text) || pipeline.finish(text)));
  r.stop = pipeline.stop();
  if (r.stop == TextStop::kDecoding) {
    EXPECT_FALSE(pipeline.decoding_error().empty());
  }
  pipeline.encode(text, r.out);
  return r;
}

const std::string kBom = "\xEF\xBB\xBF";

struct Case {
  const char* name;
  std::string bytes;
  std::vector<std::string> steps;
  TextStop stop;
};

TEST(TextPipeline, StartsOnceThenFeedsThenFinishes) {
  const std::string le(
      "\xFF\xFE"
      "3\0"
      "0\0"
      "2\0"
      "1\0"
      "\n\0",
      12);
  const std::string be(
      "\xFE\xFF"
      "\0"
      "9"
      "\0\xE9",
      6);
  const std::string long_bytes = "id,ne\n" + std::string(3000, '7') + "\n";
  const std::vector<Case> cases = {
      {"UTF-16 LE", le, {"start 2", "text " + kBom + "3021\n", "finish"}, TextStop::kNone},
      {"UTF-16 BE", be, {"start 3", "text " + kBom + "9\xC3\xA9", "finish"}, TextStop::kNone},
      {"bytes past the NUL search",
       long_bytes,
       {"start 1", "text " + long_bytes, "finish"},
       TextStop::kNone},
      {"an empty file is of bytes", "", {"start 1", "finish"}, TextStop::kNone},
      {"the conversion stops", "ab!cd\nef", {"start 1", "text ab!"}, TextStop::kConversion},
      // The text before a fault in the bytes is handed on first.
      {"a NUL without a byte-order mark",
       std::string("id,ne\n3021\0\0", 12),
       {"start 1", "text id,ne\n3021"},
       TextStop::kDecoding},
      {"a stop in the text before a NUL is the conversion's",
       std::string("a!\0", 3),
       {"start 1", "text a!"},
       TextStop::kConversion},
      {"UTF-16 cut inside a unit",
       le.substr(0, 7),
       {"start 2", "text " + kBom + "30"},
       TextStop::kDecoding},
      {"UTF-32",
       std::string("\xFF\xFE\0\0"
                   "1\0\0\0",
                   8),
       {"start 1"},
       TextStop::kDecoding},
  };
  for (const Case& c : cases) {
    // Pieces of 1 split the byte-order mark and every UTF-16 unit.
    for (std::size_t piece : {1u, 3u, 4096u}) {
      Piped r = run(c.bytes, piece);
      std::string where = std::string(c.name) + " in pieces of " + std::to_string(piece);
      if (c.stop == TextStop::kConversion) {
        // The piece that stops the conversion is fed whole: it begins with
        // the expected text, cut wherever the pieces fall.
        ASSERT_EQ(r.steps.size(), c.steps.size()) << where;
        EXPECT_EQ(r.steps.front(), c.steps.front()) << where;
        EXPECT_TRUE(r.steps.back().starts_with(c.steps.back())) << where;
      } else {
        EXPECT_EQ(r.steps, c.steps) << where;
      }
      EXPECT_EQ(r.stop, c.stop) << where;
      EXPECT_EQ(r.whole, c.stop == TextStop::kNone) << where;
      if (c.stop == TextStop::kNone) {
        // What the steps wrote comes back in the file's own encoding.
        EXPECT_EQ(r.out, c.bytes) << where;
      }
    }
  }
}

TEST(TextPipeline, AConversionThatEndsOnAFaultStopsIt) {
  Piped r = run("3021\n", 2, /*finish_fails=*/true);
  EXPECT_FALSE(r.whole);
  EXPECT_EQ(r.stop, TextStop::kConversion);
  EXPECT_EQ(r.steps.back(), "finish");
}

}  // namespace
}  // namespace batch
