// varve-batch: converts varve numbers between the New England and the North
// American varve chronologies, as TSV, CSV or JSON Lines: a list of numbers
// (batch/list_mode.h), one value per line (batch/line_mode.h) or one column of
// a CSV or TSV file (batch/column.h); `table` lists every accepted number and
// `chart` writes the correspondence chart as SVG. The conversions themselves
// are in those libraries; this file reads, writes and decides when output is
// handed to the system.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "batch/column.h"
#include "batch/line_mode.h"
#include "batch/list_mode.h"
#include "batch/message_sink.h"
#include "batch/options.h"
#include "batch/rows.h"
#include "batch/text_encoding.h"
#include "chart/chart.h"
#include "chronology/shown_text.h"
#include "chronology/tables_identity.h"
#include "platform/streams.h"
#include "sentences/span_account.h"
#include "version.h"

namespace {

using batch::Options;

constexpr int kExitBadCell = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInputOutput = 3;
constexpr std::size_t kBufferSize = 1 << 16;
/// Input is converted in slices of this size, so that the rows of one slice
/// stay small beside the output buffer.
constexpr std::size_t kSliceSize = 1 << 12;

/// Buffered standard output, handed to the system in large writes. After a
/// write fails, output is dropped and failed() says why.
class Output {
 public:
  Output() { buffer_.reserve(2 * kBufferSize); }

  /// The buffer rows are appended to; call maybe_flush() now and then.
  std::string& buffer() { return buffer_; }

  void maybe_flush() {
    if (buffer_.size() >= kBufferSize) {
      flush();
    }
  }

  void flush() {
    if (!failed() && !buffer_.empty()) {
      if (encoder_.transcodes()) {
        encoded_.clear();
        encoder_.encode(buffer_, encoded_);
        result_ = platform::write_all(platform::StandardStream::kOutput, encoded_);
      } else {
        result_ = platform::write_all(platform::StandardStream::kOutput, buffer_);
      }
    }
    buffer_.clear();
  }

  /// Writes what comes after in `encoding` (the input file's).
  void encode_as(batch::TextEncoding encoding) {
    flush();
    encoder_ = batch::TextEncoder(encoding);
  }

  /// True once standard output has not taken a write.
  bool failed() const { return result_.outcome != platform::WriteOutcome::kWritten; }

  const platform::WriteResult& result() const { return result_; }

 private:
  std::string buffer_;
  platform::WriteResult result_;
  batch::TextEncoder encoder_{batch::TextEncoding::kBytes};
  std::string encoded_;  ///< The buffer in UTF-16, when the input was.
};

/// Writes `text` to standard error at once.
void report(std::string_view text) {
  (void)platform::write_all(platform::StandardStream::kError, text);
}

/// A sink that shows each message on standard error as a line of its own
/// with the program's name, after the rows before it have been written.
batch::MessageSink messages_after_rows(Output& out) {
  return [&out](std::string_view message) {
    out.flush();
    report("varve-batch: " + std::string(message) + "\n");
  };
}

/// True when `path` names a file whose bytes can be read.
bool readable_file(const std::string& path) {
  platform::ErrorCode error = 0;
  platform::ByteSource file = platform::ByteSource::open_file(path, error);
  char byte;
  return error == 0 && file.read(&byte, 1).error == 0;
}

/// Converts the numbers of the command line; a bad argument that names a
/// file gets a word on how to read it.
void convert_arguments(const Options& options, batch::ListMode& list, Output& out) {
  for (const auto& [argument, position] : options.numbers) {
    if (!list.convert_argument(argument, position, out.buffer()) &&
        readable_file(std::string(argument))) {
      out.flush();
      std::string command =
          "varve-batch " + std::string(chronology::direction_name(options.direction));
      std::string file = chronology::ascii_shown(argument);
      report("varve-batch: argument " + std::to_string(position) + " names a file; to convert " +
             "the numbers in it, give it as standard input: " + command + " < " + file +
             "; or, for one column of a CSV or TSV file: " + command + " --column NAME " + file +
             "\n");
    }
    out.maybe_flush();
    if (out.failed()) {
      return;
    }
  }
}

/// Reads `input` (called `name` in messages) to its end in large chunks,
/// handing each to `take(bytes)`, which returns false to stop. Returns the
/// exit status for a read that failed (already reported), or -1 otherwise.
template <class Take>
int read_all(platform::ByteSource& input, std::string_view name, Output& out, Take take) {
  std::vector<char> chunk(kBufferSize);
  for (; !out.failed(); out.maybe_flush()) {
    platform::ReadResult read = input.read(chunk.data(), chunk.size());
    if (read.error != 0) {
      out.flush();
      report("varve-batch: cannot read " + std::string(name) + ": " +
             platform::error_text(read.error) + "\n");
      return kExitInputOutput;
    }
    if (read.count == 0 || !take(std::string_view(chunk.data(), read.count))) {
      break;
    }
  }
  return -1;
}

/// Converts the numbers of standard input; returns false when it could not
/// be read. From a terminal, the rows of each line are written as soon as the
/// line is read; otherwise output waits for a full buffer.
bool convert_standard_input(batch::ListMode& list, Output& out) {
  platform::ByteSource input = platform::ByteSource::standard_input();
  bool by_line = input.is_terminal();
  int status = read_all(input, "standard input", out, [&](std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size() && !out.failed(); at += kSliceSize) {
      list.feed(bytes.substr(at, kSliceSize), out.buffer());
      out.maybe_flush();
    }
    if (by_line) {
      out.flush();
    }
    return true;
  });
  if (status >= 0) {
    return false;
  }
  if (!out.failed()) {
    list.finish(out.buffer());
  }
  return true;
}

/// Reads FILE (or standard input) as text, in the encoding it comes in,
/// handing each piece to `feed(text)` (false: stop) and the end to
/// `finish()`; `start(encoding)` is called once the encoding is known, before the
/// first text, and the output is written in that encoding. Returns the exit
/// status, or -1 when the input was read to its end without a fault.
template <class Start, class Feed, class Finish>
int convert_text(const Options& options, Output& out, Start start, Feed feed, Finish finish) {
  bool from_file = options.file != "-";
  std::string name = from_file ? chronology::ascii_shown(options.file) : "standard input";
  platform::ErrorCode error = 0;
  platform::ByteSource input =
      from_file ? platform::ByteSource::open_file(std::string(options.file), error)
                : platform::ByteSource::standard_input();
  if (error != 0) {
    report("varve-batch: cannot open " + name + ": " + platform::error_text(error) + "\n");
    return kExitInputOutput;
  }
  batch::TextDecoder decoder;
  bool started = false;
  std::string text;
  // Hands on the text decoded so far; false when the conversion stopped.
  auto hand_on = [&]() {
    if (!started && decoder.encoding() != batch::TextEncoding::kUnknown) {
      started = true;
      out.encode_as(decoder.encoding());
      start(decoder.encoding());
    }
    bool go_on = text.empty() || feed(std::string_view(text));
    text.clear();
    return go_on;
  };
  auto decoding_fault = [&]() {
    out.flush();
    report("varve-batch: " + name + ": " + decoder.error() + "\n");
    return kExitBadCell;
  };
  // Set when the conversion or the decoding stopped: the exit status.
  int stopped = -1;
  int status = read_all(input, name, out, [&](std::string_view bytes) {
    if (started && decoder.passes_bytes()) {
      // Past the start of a file of bytes: no copy through the decoder.
      stopped = feed(bytes) ? -1 : kExitBadCell;
    } else {
      bool decoded = decoder.feed(bytes, text);
      if (!hand_on()) {
        stopped = kExitBadCell;
      } else if (!decoded) {
        stopped = decoding_fault();
      }
    }
    return stopped < 0;
  });
  if (status >= 0) {
    return status;
  }
  if (stopped >= 0) {
    return stopped;
  }
  if (out.failed()) {
    return -1;
  }
  bool decoded = decoder.finish(text);
  if (!hand_on()) {
    return kExitBadCell;
  }
  if (!decoded) {
    return decoding_fault();
  }
  if (!started) {
    started = true;
    start(decoder.encoding());
  }
  return finish() ? -1 : kExitBadCell;
}

/// Converts one column of FILE (or standard input), keeping the rest of each
/// row; returns the exit status.
int convert_column(const Options& options, Output& out) {
  batch::ColumnConverter converter(options.column_mode, messages_after_rows(out));
  int status = convert_text(
      options, out, [](batch::TextEncoding) {},
      [&](std::string_view text) { return converter.feed(text, out.buffer()); },
      [&] { return converter.finish(out.buffer()); });
  if (status >= 0) {
    return status;
  }
  return converter.invalid_cells() == 0 ? 0 : kExitBadCell;
}

/// Converts FILE (or standard input) one value per line, one row per line;
/// returns the exit status.
int convert_lines(const Options& options, Output& out) {
  batch::LineMode lines(options.format, options.direction, messages_after_rows(out));
  int status = convert_text(
      options, out,
      [&](batch::TextEncoding encoding) {
        // UTF-16 output starts with its byte-order mark, as the input did.
        if (encoding == batch::TextEncoding::kUtf16Le ||
            encoding == batch::TextEncoding::kUtf16Be) {
          out.buffer() += "\xEF\xBB\xBF";
        }
        if (options.header) {
          batch::append_line_header(out.buffer(), options.format, options.direction);
        }
      },
      [&](std::string_view text) {
        lines.feed(text, out.buffer());
        return true;
      },
      [&] {
        lines.finish(out.buffer());
        return true;
      });
  return status >= 0 ? status : lines.exit_status();
}

/// Writes every accepted number of the direction with its rows.
void write_table(const Options& options, Output& out) {
  for (chronology::Range range : chronology::accepted_ranges(options.direction)) {
    for (chronology::VarveNumber n = range.first; n <= range.last && !out.failed(); ++n) {
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

/// Writes the account of the span of the command line; a span that is not
/// converted is told on standard error. Returns the exit status.
int write_span(const Options& options, Output& out) {
  chronology::SpanResult span =
      chronology::span_of(options.direction, options.span.first, options.span.last);
  std::string account;
  for (const std::string& line : sentences::span_account(span)) {
    account.append(line).push_back('\n');
  }
  if (span.converted()) {
    out.buffer() += account;
    return 0;
  }
  out.flush();
  report("varve-batch: " + account);
  return kExitBadCell;
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
  batch::ListMode list(options.format, options.direction, messages_after_rows(out));
  int status = 0;
  switch (options.action) {
    case Options::Action::kHelp:
      out.buffer() += batch::kFullUsage;
      break;
    case Options::Action::kVersion:
      // The version, and which correspondence tables the results come from.
      out.buffer().append("varve-batch ").append(varve::kVersion).push_back('\n');
      out.buffer().append(chronology::kTablesIdentity).push_back('\n');
      break;
    case Options::Action::kTable:
      if (options.header) {
        batch::append_header(out.buffer(), options.format);
      }
      write_table(options, out);
      break;
    case Options::Action::kSpan:
      status = write_span(options, out);
      break;
    case Options::Action::kChart:
      out.buffer() += chart::correspondence_svg(options.direction, options.mark);
      break;
    case Options::Action::kConvert:
      if (!options.column_mode.column.empty()) {
        status = convert_column(options, out);
        break;
      }
      if (options.lines) {
        status = convert_lines(options, out);
        break;
      }
      if (options.header) {
        batch::append_header(out.buffer(), options.format);
      }
      if (!options.numbers.empty()) {
        convert_arguments(options, list, out);
      } else if (!convert_standard_input(list, out)) {
        status = kExitInputOutput;
      }
      break;
  }
  out.flush();
  if (out.failed() && out.result().outcome != platform::WriteOutcome::kReaderGone) {
    report("varve-batch: cannot write standard output: " +
           platform::error_text(out.result().error) + "\n");
    return kExitInputOutput;
  }
  // A reader that has gone ends the run quietly, but a bad token seen before
  // still counts.
  return status != 0 ? status : list.exit_status();
}
