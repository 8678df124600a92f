#ifndef VARVE_BATCH_TEXT_PIPELINE_H_
#define VARVE_BATCH_TEXT_PIPELINE_H_

// A user's file from its bytes to its converted text and back: decoded from
// the encoding it comes in, handed to a conversion (the column or the line
// mode), and what the conversion writes encoded again in the file's own
// encoding. varve-batch runs it over a stream, the page over a whole file.
// No I/O.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "batch/text_encoding.h"

namespace batch {

/// What a pipeline does with the text it decodes.
struct TextSteps {
  /// Called once the encoding is known, before any text: may write the start of the output.
  std::function<void(TextEncoding encoding, std::string& out)> start;
  /// Converts the next piece of text into `out`; false once a fault (reported) stopped it.
  std::function<bool(std::string_view text, std::string& out)> feed;
  /// Ends the text; false when the conversion ended on a fault (reported).
  std::function<bool(std::string& out)> finish;
};

/// What stopped a pipeline.
enum class TextStop : std::uint8_t {
  kNone,
  kConversion,  ///< The conversion stopped on a fault in the text.
  kDecoding,    ///< The bytes are not text of an encoding read (decoding_error() says why).
};

/// Decodes, converts and encodes one file.
class TextPipeline {
 public:
  explicit TextPipeline(TextSteps steps) : steps_(std::move(steps)) {}

  /// Converts the next piece of the file's bytes, appending the converted
  /// text to `out` (UTF-8, as encode() takes it); false once it has stopped.
  bool feed(std::string_view bytes, std::string& out);

  /// Ends the file; false when it has stopped.
  bool finish(std::string& out);

  /// What stopped the pipeline, if anything.
  TextStop stop() const { return stop_; }

  /// Why the bytes could not be decoded, when that stopped it.
  const std::string& decoding_error() const { return decoder_.error(); }

  /// Appends `text`, as feed() and finish() wrote it, to `out` in the file's encoding.
  void encode(std::string_view text, std::string& out);

  /// True when encode() changes the text (the file is UTF-16).
  bool transcodes() const { return encoder_ && encoder_->transcodes(); }

 private:
  /// Hands the text decoded so far to the conversion; false once stopped.
  bool hand_on(std::string& out);

  TextSteps steps_;
  TextDecoder decoder_;
  std::optional<TextEncoder> encoder_;  ///< Made once the encoding is known.
  std::string text_;                    ///< Decoded text not yet handed on.
  TextStop stop_ = TextStop::kNone;
};

}  // namespace batch

#endif  // VARVE_BATCH_TEXT_PIPELINE_H_
