// varve-batch: converts whole lists of varve numbers between the New England
// and the North American varve chronologies, as TSV, CSV or JSON Lines.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options.h"
#include "batch/rows.h"
#include "batch/tokens.h"
#include "platform/streams.h"

namespace {

using batch::Options;

constexpr int kExitBadToken = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInputOutput = 3;
constexpr std::size_t kBufferSize = 1 << 16;

/// Thrown when standard output does not take a write.
struct OutputFailed {
  platform::WriteResult result;
};

/// Buffered standard output, handed to the system in large writes.
class Output {
 public:
  Output() { buffer_.reserve(2 * kBufferSize); }

  /// The buffer rows are appended to; call maybe_flush() after each row.
  std::string& buffer() { return buffer_; }

  void maybe_flush() {
    if (buffer_.size() >= kBufferSize) {
      flush();
    }
  }

  void flush() {
    platform::WriteResult result = platform::write_all(platform::StandardStream::kOutput, buffer_);
    if (result.outcome != platform::WriteOutcome::kWritten) {
      throw OutputFailed{result};
    }
    buffer_.clear();
  }

 private:
  std::string buffer_;
};

/// Writes `text` to standard error at once.
void report(std::string_view text) {
  (void)platform::write_all(platform::StandardStream::kError, text);
}

/// A token as it may be shown on a terminal: control bytes as \xNN.
std::string printable(std::string_view token) {
  std::string out;
  for (unsigned char c : token) {
    if (c < 0x20 || c == 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

/// Converts the numbers of the command line, or of standard input; returns
/// the exit status.
int convert(const Options& options, Output& out) {
  batch::RowCache rows(options.format, options.direction);
  bool bad_token = false;
  // `where` names the token's place ("line" or "argument") and `position` its number.
  auto convert_token = [&](std::string_view token, const char* where, std::size_t position) {
    std::int32_t number = 0;
    if (batch::parse_number(token, number) == batch::TokenKind::kInvalid) {
      out.flush();  // Keep the report in step with the rows before it.
      report("varve-batch: " + std::string(where) + " " + std::to_string(position) +
             ": not a whole number: '" + printable(token) + "'\n");
      bad_token = true;
      return;
    }
    rows.append_rows(out.buffer(), token, number);
    out.maybe_flush();
  };
  if (!options.numbers.empty()) {
    for (const auto& [token, position] : options.numbers) {
      convert_token(token, "argument", static_cast<std::size_t>(position));
    }
  } else {
    batch::Tokenizer tokenizer;
    auto on_token = [&](std::string_view token, std::size_t line) {
      convert_token(token, "line", line);
    };
    platform::ByteSource input = platform::ByteSource::standard_input();
    std::vector<char> chunk(kBufferSize);
    for (;;) {
      platform::ReadResult read = input.read(chunk.data(), chunk.size());
      if (read.error != 0) {
        out.flush();
        report("varve-batch: cannot read standard input: " + platform::error_text(read.error) +
               "\n");
        return kExitInputOutput;
      }
      if (read.count == 0) {
        break;
      }
      tokenizer.feed(std::string_view(chunk.data(), read.count), on_token);
    }
    tokenizer.finish(on_token);
  }
  return bad_token ? kExitBadToken : 0;
}

/// Lists every accepted number of the direction with its rows.
void table(const Options& options, Output& out) {
  for (chronology::Range range : chronology::accepted_ranges(options.direction)) {
    for (chronology::VarveNumber n = range.first; n <= range.last; ++n) {
      char digits[12];
      int length = std::snprintf(digits, sizeof digits, "%d", n);
      for (const chronology::Link& link : chronology::links_of(options.direction, n)) {
        batch::append_row(out.buffer(), options.format,
                          std::string_view(digits, static_cast<std::size_t>(length)), &link);
      }
      out.maybe_flush();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that has gone (varve-batch ... | head) ends the run quietly; a
  // full disk or a file-size limit is reported.
  platform::report_io_signals_as_errors();
  std::vector<std::string> words = platform::arguments(argc, argv);
  std::vector<std::string_view> arguments(words.begin(), words.end());
  batch::ParsedOptions parsed = batch::parse_options(arguments);
  if (!parsed.error.empty()) {
    report("varve-batch: " + parsed.error + "\n");
    report(batch::kShortUsage);
    return kExitUsage;
  }
  const Options& options = parsed.options;
  Output out;
  try {
    int status = 0;
    switch (options.action) {
      case Options::Action::kHelp:
        out.buffer() += batch::kFullUsage;
        break;
      case Options::Action::kVersion:
        out.buffer() += "varve-batch " VARVE_VERSION "\n";
        break;
      case Options::Action::kTable:
        if (options.header) {
          batch::append_header(out.buffer(), options.format);
        }
        table(options, out);
        break;
      case Options::Action::kConvert:
        if (options.header) {
          batch::append_header(out.buffer(), options.format);
        }
        status = convert(options, out);
        break;
    }
    out.flush();
    return status;
  } catch (const OutputFailed& failed) {
    if (failed.result.outcome == platform::WriteOutcome::kReaderGone) {
      return 0;
    }
    report("varve-batch: cannot write standard output: " +
           platform::error_text(failed.result.error) + "\n");
    return kExitInputOutput;
  }
}
