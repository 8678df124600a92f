#ifndef VARVE_BATCH_TOKENS_H_
#define VARVE_BATCH_TOKENS_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace batch {

/// True for the bytes that separate tokens: blank, tab, comma, semicolon,
/// CR and LF.
constexpr bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\n' || c == '\r';
}

/// For each byte: true where a token ends (a separator or the '#' of a comment).
inline constexpr auto kEndsToken = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = is_separator(static_cast<char>(c)) || c == '#';
  }
  return table;
}();

/// True where a token ends.
constexpr bool ends_token(char c) {
  return kEndsToken[static_cast<unsigned char>(c)];
}

/// The longest token the list mode converts: no varve number comes near it.
/// A longer token is handed over by its first bytes and its length only, so
/// that a run of any length never has to be held whole.
inline constexpr std::size_t kMaxTokenLength = 100;

/// One token of the input.
struct Token {
  std::string_view text;     ///< The token, or its first kMaxTokenLength bytes.
  std::size_t length = 0;    ///< The token's whole length in bytes.
  std::size_t line = 1;      ///< The line the token starts on.
  bool after_comma = false;  ///< Only a single comma lies between it and the token before.

  /// True when the token is longer than kMaxTokenLength.
  bool too_long() const { return length > kMaxTokenLength; }
};

/// Splits a stream of bytes, fed in pieces of any size, into tokens; '#'
/// starts a comment that runs to the end of its line, and a UTF-8 byte-order
/// mark at the very start is skipped. Only a token that straddles two pieces
/// is copied, and only its first kMaxTokenLength bytes, so the tokens and
/// their lines are the same whatever the pieces.
class Tokenizer {
 public:
  /// Feeds the next piece of input, calling `on_token(const Token&)` for every
  /// token that ends inside it.
  template <class OnToken>
  void feed(std::string_view bytes, OnToken&& on_token);

  /// Ends the input, handing over the last token if it had no separator.
  template <class OnToken>
  void finish(OnToken&& on_token) {
    end_start();
    if (pending_ != 0) {
      hand_over(on_token);
    }
  }

 private:
  /// What lies between the last token and the next byte.
  enum class Gap {
    kNone,   ///< Nothing: a token has just ended, or none has been seen.
    kComma,  ///< A single comma right after a token.
    kOther,  ///< Anything else.
  };

  /// Takes the bytes from `first` to `last` as the next part of the pending token.
  void extend(const char* first, const char* last) {
    if (pending_ == 0) {
      token_line_ = line_;
      token_after_comma_ = gap_ == Gap::kComma;
    }
    std::size_t room = kMaxTokenLength - partial_.size();
    partial_.append(first, std::min(room, static_cast<std::size_t>(last - first)));
    pending_ += static_cast<std::size_t>(last - first);
  }

  template <class OnToken>
  void hand_over(OnToken& on_token) {
    on_token(Token{partial_, pending_, token_line_, token_after_comma_});
    partial_.clear();
    pending_ = 0;
    gap_ = Gap::kNone;
  }

  /// Ends the byte-order-mark check: the bytes of a mark begun but not
  /// completed are the start of a token.
  void end_start() {
    if (starting_ && bom_matched_ != 0) {
      extend(kBom, kBom + bom_matched_);
    }
    starting_ = false;
  }

  static constexpr char kBom[] = "\xEF\xBB\xBF";

  std::string partial_;             ///< The first bytes of a token begun in an earlier piece.
  std::size_t pending_ = 0;         ///< The whole length of that token; 0 when none.
  std::size_t line_ = 1;            ///< The line the next byte is on.
  std::size_t token_line_ = 1;      ///< The line the pending token began on.
  bool token_after_comma_ = false;  ///< The pending token came after a single comma.
  Gap gap_ = Gap::kOther;
  bool in_comment_ = false;      ///< Inside a comment, up to the next line end.
  bool starting_ = true;         ///< No byte but those of a byte-order mark seen yet.
  std::size_t bom_matched_ = 0;  ///< How many bytes of the mark have been seen.
};

template <class OnToken>
void Tokenizer::feed(std::string_view bytes, OnToken&& on_token) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (starting_ && p != end) {
    if (*p != kBom[bom_matched_]) {
      end_start();
      break;
    }
    ++p;
    starting_ = ++bom_matched_ != 3;
  }
  while (p != end) {
    if (in_comment_) {
      while (p != end && *p != '\n') {
        ++p;
      }
      if (p == end) {
        return;
      }
      in_comment_ = false;
    }
    char c = *p;
    if (ends_token(c)) {
      if (pending_ != 0) {
        hand_over(on_token);
      }
      gap_ = c == ',' && gap_ == Gap::kNone ? Gap::kComma : Gap::kOther;
      in_comment_ = c == '#';
      line_ += c == '\n';
      ++p;
      continue;
    }
    const char* start = p;
    while (p != end && !ends_token(*p)) {
      ++p;
    }
    if (p == end || pending_ != 0) {
      extend(start, p);
      if (p == end) {
        return;
      }
      hand_over(on_token);
      continue;
    }
    auto length = static_cast<std::size_t>(p - start);
    on_token(Token{std::string_view(start, std::min(length, kMaxTokenLength)), length, line_,
                   gap_ == Gap::kComma});
    gap_ = Gap::kNone;
  }
}

}  // namespace batch

#endif  // VARVE_BATCH_TOKENS_H_
