#ifndef VARVE_BATCH_TOKENS_H_
#define VARVE_BATCH_TOKENS_H_

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

/// Splits a stream of bytes, fed in pieces of any size, into tokens; '#'
/// starts a comment that runs to the end of its line. Only a token that
/// straddles two pieces is copied.
class Tokenizer {
 public:
  /// Feeds the next piece of input, calling `on_token(token, line)` for every
  /// token that ends inside it.
  template <class OnToken>
  void feed(std::string_view bytes, OnToken&& on_token);

  /// Ends the input, handing over the last token if it had no separator.
  template <class OnToken>
  void finish(OnToken&& on_token) {
    if (!partial_.empty()) {
      on_token(std::string_view(partial_), token_line_);
      partial_.clear();
    }
  }

 private:
  std::string partial_;         ///< A token begun in an earlier piece.
  std::size_t line_ = 1;        ///< The line the next byte is on.
  std::size_t token_line_ = 1;  ///< The line the partial token began on.
  bool in_comment_ = false;
};

template <class OnToken>
void Tokenizer::feed(std::string_view bytes, OnToken&& on_token) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();
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
      if (!partial_.empty()) {
        on_token(std::string_view(partial_), token_line_);
        partial_.clear();
      }
      in_comment_ = c == '#';
      line_ += c == '\n';
      ++p;
      continue;
    }
    const char* start = p;
    while (p != end && !ends_token(*p)) {
      ++p;
    }
    if (p == end) {
      if (partial_.empty()) {
        token_line_ = line_;
      }
      partial_.append(start, p);
      return;
    }
    if (partial_.empty()) {
      on_token(std::string_view(start, static_cast<std::size_t>(p - start)), line_);
    } else {
      partial_.append(start, p);
      on_token(std::string_view(partial_), token_line_);
      partial_.clear();
    }
  }
}

/// A token read as a number.
enum class TokenKind {
  kNumber,   ///< An optional sign and decimal digits.
  kInvalid,  ///< Anything else.
};

/// Reads `token` as an optional sign followed by decimal digits. A number too
/// large for 32 bits comes back as the nearest 32-bit value, which lies outside
/// every accepted range, so that it is converted as outside and never as
/// another number.
TokenKind parse_number(std::string_view token, std::int32_t& value);

}  // namespace batch

#endif  // VARVE_BATCH_TOKENS_H_
