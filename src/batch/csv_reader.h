#ifndef VARVE_BATCH_CSV_READER_H_
#define VARVE_BATCH_CSV_READER_H_

// Splits CSV (or semicolon- or tab-separated) bytes, fed in pieces of any
// size, into records, keeping every byte: each record comes with its raw body
// (quotes and all), its line end, and where each of its fields lies in the
// body. Quoted fields may hold separators, doubled quotes and line breaks, as
// spreadsheets write them; a quote that is not at the start of a field is an
// ordinary byte. Line ends are LF, CR LF or a lone CR. Only a record that
// straddles two pieces is copied.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

/// Where a field lies in its record's body: [begin, end).
struct FieldSpan {
  std::size_t begin;
  std::size_t end;
};

/// One record as it was in the input.
struct CsvRecord {
  std::string_view body;                 ///< The record's bytes without its line end.
  std::string_view line_end;             ///< "\n", "\r\n", "\r", or empty at the end of input.
  const std::vector<FieldSpan>& fields;  ///< At least one.
  std::size_t line;                      ///< The line the record starts on, from 1.

  /// The raw bytes of field `i`.
  std::string_view field(std::size_t i) const {
    return body.substr(fields[i].begin, fields[i].end - fields[i].begin);
  }
};

/// What stopped a reader, if anything.
enum class CsvError {
  kNone,
  kUnclosedQuote,  ///< The input ended inside a quoted field.
  kRecordTooLong,  ///< One record grew beyond the reader's limit.
};

/// The record reader.
class CsvReader {
 public:
  /// Reads fields separated by `separator`; a record longer than
  /// `max_record` bytes stops the reader, so that memory stays bounded.
  explicit CsvReader(char separator, std::size_t max_record = std::size_t{64} << 20)
      : CsvReader(std::string_view(&separator, 1), max_record) {}

  /// Reads fields separated by any of `separators`: records are split as
  /// they would be by any one of them, before the file's own is known.
  CsvReader(std::string_view separators, std::size_t max_record);

  /// Feeds the next piece, calling `on_record(const CsvRecord&)` for every
  /// record that ends in it; false once the reader has stopped on an error.
  template <class OnRecord>
  bool feed(std::string_view bytes, OnRecord&& on_record);

  /// Ends the input, handing over a last record that has no line end; false
  /// when the input ended inside quotes (or the reader had stopped before).
  template <class OnRecord>
  bool finish(OnRecord&& on_record);

  /// The error that stopped the reader.
  CsvError error() const { return error_; }

  /// The line where the error lies: where the unclosed quote opened, or where
  /// the overlong record began.
  std::size_t error_line() const { return error_line_; }

 private:
  enum class State : unsigned char {
    kFieldStart,  ///< At the first byte of a field.
    kUnquoted,    ///< In a field (or the tail of one after its closing quote).
    kQuoted,      ///< Inside quotes.
    kQuoteSeen,   ///< Just after a quote inside quotes: it closes or doubles.
    kAfterCr,     ///< The record ended in CR; a LF may follow.
  };
  enum ByteClass : unsigned char { kPlain, kSeparator, kCr, kLf };

  /// Ends the current record, whose bytes in this piece run from `start` to
  /// `body_end`, with `line_end`; false, with the reader stopped, when the
  /// record is too long.
  template <class OnRecord>
  bool emit(const char* start, const char* body_end, std::string_view line_end,
            OnRecord&& on_record);
  /// Keeps the unfinished record's bytes from `start` to `end`; false, with
  /// the reader stopped, when that makes the record too long.
  bool keep(const char* start, const char* end);

  std::array<ByteClass, 256> classes_{};
  std::size_t max_record_;
  State state_ = State::kFieldStart;
  /// The bytes of a byte-order mark seen at the very start of the input, to
  /// a whole one, after which a quote still opens the first field; or -1
  /// once past the start.
  int mark_seen_ = 0;
  bool in_record_ = false;  ///< A byte of the current record has been seen.
  std::string partial_;     ///< The current record's bytes from earlier pieces.
  std::vector<FieldSpan> fields_;
  std::size_t field_begin_ = 0;  ///< Offset of the current field in the record.
  std::size_t line_ = 1;         ///< The line of the next byte.
  std::size_t record_line_ = 1;  ///< The line the current record began on.
  std::size_t quote_line_ = 1;   ///< The line the last opening quote was on.
  CsvError error_ = CsvError::kNone;
  std::size_t error_line_ = 0;
};

template <class OnRecord>
bool CsvReader::emit(const char* start, const char* body_end, std::string_view line_end,
                     OnRecord&& on_record) {
  std::string_view body(start, static_cast<std::size_t>(body_end - start));
  if (!partial_.empty()) {
    partial_.append(body);
    body = partial_;
  }
  if (body.size() > max_record_) {
    error_ = CsvError::kRecordTooLong;
    error_line_ = record_line_;
    partial_ = std::string();
    return false;
  }
  fields_.push_back({field_begin_, body.size()});
  on_record(CsvRecord{body, line_end, fields_, record_line_});
  partial_.clear();
  fields_.clear();
  field_begin_ = 0;
  state_ = State::kFieldStart;
  in_record_ = false;
  record_line_ = line_;
  return true;
}

template <class OnRecord>
bool CsvReader::feed(std::string_view bytes, OnRecord&& on_record) {
  if (error_ != CsvError::kNone) {
    return false;
  }
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  // Where the current record's bytes in this piece begin; offsets within the
  // record count the bytes kept in partial_ first.
  const char* start = p;
  auto offset = [&](const char* q) {
    return partial_.size() + static_cast<std::size_t>(q - start);
  };
  // A byte-order mark (kept in the first field's bytes) does not stop a
  // quote after it from opening the field.
  for (constexpr std::string_view kMark = "\xEF\xBB\xBF"; mark_seen_ >= 0 && p != end;) {
    if (mark_seen_ == static_cast<int>(kMark.size()) || *p != kMark[mark_seen_]) {
      state_ = mark_seen_ == 0 || mark_seen_ == 3 ? State::kFieldStart : State::kUnquoted;
      mark_seen_ = -1;
      break;
    }
    ++mark_seen_;
    ++p;
    in_record_ = true;
  }
  if (p != end && state_ == State::kAfterCr) {
    bool lf = *p == '\n';
    if (!emit(p, p, lf ? "\r\n" : "\r", on_record)) {
      return false;
    }
    p += lf;
    start = p;
  }
  while (p != end) {
    in_record_ = true;
    switch (state_) {
      case State::kFieldStart:
        if (*p == '"') {
          state_ = State::kQuoted;
          quote_line_ = line_;
          ++p;
          continue;
        }
        state_ = State::kUnquoted;
        [[fallthrough]];
      case State::kUnquoted: {
        while (p != end && classes_[static_cast<unsigned char>(*p)] == kPlain) {
          ++p;
        }
        if (p == end) {
          continue;
        }
        ByteClass c = classes_[static_cast<unsigned char>(*p)];
        if (c == kSeparator) {
          fields_.push_back({field_begin_, offset(p)});
          ++p;
          field_begin_ = offset(p);
          state_ = State::kFieldStart;
          continue;
        }
        ++line_;
        if (c == kLf) {
          if (!emit(start, p, "\n", on_record)) {
            return false;
          }
          start = ++p;
        } else if (p + 1 == end) {
          // A CR at the end of the piece: the next byte tells CR LF from CR.
          if (!keep(start, p)) {
            return false;
          }
          state_ = State::kAfterCr;
          return true;
        } else {
          bool lf = p[1] == '\n';
          if (!emit(start, p, lf ? "\r\n" : "\r", on_record)) {
            return false;
          }
          p += 1 + lf;
          start = p;
        }
        continue;
      }
      case State::kQuoted:
        while (p != end && *p != '"') {
          line_ += *p == '\n';
          ++p;
        }
        if (p != end) {
          state_ = State::kQuoteSeen;
          ++p;
        }
        continue;
      case State::kQuoteSeen:
        if (*p == '"') {
          state_ = State::kQuoted;
          ++p;
        } else {
          state_ = State::kUnquoted;
        }
        continue;
      case State::kAfterCr:
        break;  // Handled before the loop.
    }
  }
  return keep(start, end);
}

template <class OnRecord>
bool CsvReader::finish(OnRecord&& on_record) {
  if (error_ != CsvError::kNone) {
    return false;
  }
  if (state_ == State::kQuoted) {
    error_ = CsvError::kUnclosedQuote;
    error_line_ = quote_line_;
    return false;
  }
  if (state_ == State::kAfterCr) {
    return emit(nullptr, nullptr, "\r", on_record);
  }
  return !in_record_ || emit(nullptr, nullptr, "", on_record);
}

}  // namespace batch

#endif  // VARVE_BATCH_CSV_READER_H_
