// varve-batch: converts varve numbers between the New England and the North
// American varve chronologies, as TSV, CSV or JSON Lines: a list of numbers
// (batch/list_mode.h), one value per line (batch/line_mode.h) or columns of a
// CSV or TSV file (batch/column.h); `table` lists every accepted number,
// `span` gives the account of one span and `chart` writes the correspondence
// chart as SVG. The conversions themselves are in those libraries; this file
// runs the command the command line asks for (batch/options.h), reads, writes
// and decides when output is handed to the system.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "batch/column.h"
#include "batch/help.h"
#include "batch/line_mode.h"
#include "batch/list_mode.h"
#include "batch/message_sink.h"
#include "batch/options.h"
#include "batch/rows.h"
#include "batch/text_pipeline.h"
#include "chart/chart.h"
#include "chronology/shown_text.h"
#include "chronology/tables_identity.h"
#include "platform/streams.h"
#include "sentences/span_account.h"
#include "version.h"

namespace {

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
      if (pipeline_ && pipeline_->transcodes()) {
        encoded_.clear();
        pipeline_->encode(buffer_, encoded_);
        result_ = platform::write_all(platform::StandardStream::kOutput, encoded_);
      } else {
        result_ = platform::write_all(platform::StandardStream::kOutput, buffer_);
      }
    }
    buffer_.clear();
  }

  /// Writes what comes after in the encoding of the file `pipeline` reads
  /// (as it is, when null).
  void encode_as_input_of(batch::TextPipeline* pipeline) {
    flush();
    pipeline_ = pipeline;
  }

  /// True once standard output has not taken a write.
  bool failed() const { return result_.outcome != platform::WriteOutcome::kWritten; }

  const platform::WriteResult& result() const { return result_; }

 private:
  std::string buffer_;
  platform::WriteResult result_;
  batch::TextPipeline* pipeline_ = nullptr;  ///< Encodes the output as its input was.
  std::string encoded_;                      ///< The buffer in UTF-16, when the input was.
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
void convert_arguments(const batch::ListSettings& settings, batch::ListMode& list, Output& out) {
  for (const auto& [argument, position] : settings.numbers) {
    if (!list.convert_argument(argument, position, out.buffer()) &&
        readable_file(std::string(argument))) {
      out.flush();
      std::string command =
          "varve-batch " + std::string(chronology::direction_name(settings.direction));
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

/// The name of FILE (or standard input) in messages.
std::string input_name(std::string_view file) {
  return file != "-" ? chronology::ascii_shown(file) : "standard input";
}

/// Converts FILE (or standard input) as text, in the encoding it comes in,
/// by `steps`, and writes the output in that encoding. Returns the exit
/// status when it is not the conversion's (3: FILE not read; 1: not text),
/// or -1 when the input was read to its end or the conversion stopped.
int convert_text(std::string_view file, Output& out, batch::TextSteps steps) {
  std::string name = input_name(file);
  platform::ErrorCode error = 0;
  platform::ByteSource input = file != "-"
                                   ? platform::ByteSource::open_file(std::string(file), error)
                                   : platform::ByteSource::standard_input();
  if (error != 0) {
    report("varve-batch: cannot open " + name + ": " + platform::error_text(error) + "\n");
    return kExitInputOutput;
  }
  batch::TextPipeline pipeline(std::move(steps));
  out.encode_as_input_of(&pipeline);
  int status = read_all(input, name, out,
                        [&](std::string_view bytes) { return pipeline.feed(bytes, out.buffer()); });
  if (status < 0 && pipeline.stop() == batch::TextStop::kNone && !out.failed()) {
    pipeline.finish(out.buffer());
  }
  out.encode_as_input_of(nullptr);
  if (status < 0 && pipeline.stop() == batch::TextStop::kDecoding) {
    report("varve-batch: " + name + ": " + pipeline.decoding_error() + "\n");
    return kExitBadCell;
  }
  return status;
}

/// Converts columns of FILE (or standard input), keeping the rest of each
/// row; returns the exit status.
int run(const batch::ColumnModeSettings& settings, Output& out) {
  batch::ColumnSettings column = settings.column;
  column.input_name = input_name(settings.file);
  batch::ColumnConverter converter(std::move(column), messages_after_rows(out));
  int status = convert_text(settings.file, out, converter.steps());
  return status >= 0 ? status : converter.exit_status();
}

/// Converts FILE (or standard input) one value per line, one row per line;
/// returns the exit status.
int run(const batch::LineSettings& settings, Output& out) {
  batch::LineMode lines(settings.format, settings.direction, messages_after_rows(out));
  int status =
      convert_text(settings.file, out,
                   {[&](batch::TextEncoding encoding, std::string& rows) {
                      // UTF-16 output starts with its byte-order mark, as the input did.
                      if (encoding == batch::TextEncoding::kUtf16Le ||
                          encoding == batch::TextEncoding::kUtf16Be) {
                        rows += "\xEF\xBB\xBF";
                      }
                      if (settings.header) {
                        batch::append_line_header(rows, settings.format, settings.direction);
                      }
                    },
                    [&](std::string_view text, std::string& rows) {
                      lines.feed(text, rows);
                      return true;
                    },
                    [&](std::string& rows) {
                      lines.finish(rows);
                      return true;
                    }});
  return status >= 0 ? status : lines.exit_status();
}

/// Converts the NUMBERs of the command line or, with none, standard input;
/// returns the exit status.
int run(const batch::ListSettings& settings, Output& out) {
  batch::ListMode list(settings.format, settings.direction, messages_after_rows(out));
  if (settings.header) {
    batch::append_header(out.buffer(), settings.format);
  }
  if (!settings.numbers.empty()) {
    convert_arguments(settings, list, out);
  } else if (!convert_standard_input(list, out)) {
    return kExitInputOutput;
  }
  // A reader that has gone ends the run quietly, but a bad token seen before
  // still counts.
  return list.exit_status();
}

/// Writes every accepted number of the direction with its rows; returns the
/// exit status.
int run(const batch::TableSettings& settings, Output& out) {
  if (settings.header) {
    batch::append_header(out.buffer(), settings.format);
  }
  for (chronology::GivenRange range : chronology::accepted_ranges(settings.direction)) {
    for (chronology::GivenNumber n = range.first; n <= range.last && !out.failed(); ++n) {
      char digits[12];
      int length = std::snprintf(digits, sizeof digits, "%d", n);
      for (const chronology::Link& link : chronology::links_of(settings.direction, n)) {
        batch::append_row(out.buffer(), settings.format,
                          std::string_view(digits, static_cast<std::size_t>(length)), &link);
      }
      out.maybe_flush();
    }
  }
  return 0;
}

/// Writes the account of the span of the command line; a span that is not
/// converted is told on standard error. Returns the exit status.
int run(const batch::SpanSettings& settings, Output& out) {
  chronology::SpanResult span =
      chronology::span_of(settings.direction, settings.span.first, settings.span.last);
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

/// Writes the correspondence chart; returns the exit status.
int run(const batch::ChartSettings& settings, Output& out) {
  out.buffer() += chart::correspondence_svg(settings.direction, settings.mark);
  return 0;
}

/// Writes the full usage; returns the exit status.
int run(batch::Help, Output& out) {
  out.buffer() += batch::kFullUsage;
  return 0;
}

/// Writes the version, and which correspondence tables the results come
/// from; returns the exit status.
int run(batch::Version, Output& out) {
  out.buffer().append("varve-batch ").append(varve::kVersion).push_back('\n');
  out.buffer().append(chronology::kTablesIdentity).push_back('\n');
  return 0;
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
  Output out;
  int status =
      std::visit([&out](const auto& settings) { return run(settings, out); }, parsed.command);
  out.flush();
  if (out.failed() && out.result().outcome != platform::WriteOutcome::kReaderGone) {
    report("varve-batch: cannot write standard output: " +
           platform::error_text(out.result().error) + "\n");
    return kExitInputOutput;
  }
  return status;
}
