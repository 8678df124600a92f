#ifndef VARVE_BATCH_TEXT_ENCODING_H_
#define VARVE_BATCH_TEXT_ENCODING_H_

// The encodings a user's file comes in. Spreadsheets save "Unicode text" as
// UTF-16 with a byte-order mark; such a file is read as UTF-8 and its rows are
// written back in UTF-16, so that every cell comes back byte for byte. Any
// other file is taken as the bytes it holds (UTF-8 or an 8-bit encoding),
// unchanged. No I/O: bytes go in, in pieces of any size, text comes out.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace batch {

/// How a file's text is encoded.
enum class TextEncoding : std::uint8_t {
  kUnknown,  ///< Not yet known: too few bytes seen.
  kBytes,    ///< Bytes, kept as they are: UTF-8 or an 8-bit encoding.
  kUtf16Le,  ///< UTF-16, little-endian, with its byte-order mark.
  kUtf16Be,  ///< UTF-16, big-endian, with its byte-order mark.
};

/// Recognises a file's encoding from its first bytes and hands its text on as
/// UTF-8. UTF-16 is decoded: its byte-order mark becomes UTF-8's, and a lone
/// surrogate its three-byte form, so that TextEncoder gives every unit back.
/// Other bytes pass unchanged. A file in UTF-32, a file that starts with NUL
/// bytes but has no byte-order mark (UTF-16 without one), and UTF-16 that ends
/// in half a unit are faults: the text before them is handed on, and error()
/// says what is wrong.
class TextDecoder {
 public:
  /// Decodes the next piece, appending the text to `out`; false once a fault
  /// has stopped the decoder.
  bool feed(std::string_view bytes, std::string& out);

  /// Ends the input; false when it ends in a fault.
  bool finish(std::string& out);

  /// The encoding, once known (at the latest after finish()).
  TextEncoding encoding() const { return encoding_; }

  /// True when the bytes that follow pass unchanged: the caller may hand them
  /// on itself instead of feeding them (finish() is still called at the end).
  bool passes_bytes() const {
    return encoding_ == TextEncoding::kBytes && seen_ >= kNulSearched && error_.empty();
  }

  /// What stopped the decoder; empty while nothing has.
  const std::string& error() const { return error_; }

  /// How many leading bytes are searched for NUL bytes in a file without a
  /// byte-order mark.
  static constexpr std::size_t kNulSearched = 1024;

 private:
  /// Decides the encoding from the bytes held (four, or all there are at the
  /// end) and hands them on.
  bool decide(std::string& out);
  bool pass_bytes(std::string_view bytes, std::string& out);
  void decode_units(std::string_view bytes, std::string& out);
  bool fail(std::string message);

  TextEncoding encoding_ = TextEncoding::kUnknown;
  std::string held_;        ///< The first bytes, while the encoding is unknown.
  std::size_t seen_ = 0;    ///< Bytes handed on unchanged so far (kBytes).
  int odd_byte_ = -1;       ///< The first byte of a unit split across pieces.
  std::uint32_t high_ = 0;  ///< A high surrogate waiting for its low one; 0 when none.
  std::string error_;
};

/// Writes UTF-8 text (as TextDecoder hands it on) in `encoding`: UTF-16 unit
/// by unit, anything else unchanged. A character split across calls is held
/// until its last byte comes.
class TextEncoder {
 public:
  explicit TextEncoder(TextEncoding encoding) : encoding_(encoding) {}

  /// Appends `text`, encoded, to `out`.
  void encode(std::string_view text, std::string& out);

  /// True when the encoder changes the bytes it is given.
  bool transcodes() const {
    return encoding_ == TextEncoding::kUtf16Le || encoding_ == TextEncoding::kUtf16Be;
  }

 private:
  void put_unit(std::uint32_t unit, std::string& out) const;

  TextEncoding encoding_;
  std::string partial_;  ///< The first bytes of a character split across calls.
};

}  // namespace batch

#endif  // VARVE_BATCH_TEXT_ENCODING_H_
