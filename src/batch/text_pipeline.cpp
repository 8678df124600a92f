#include "batch/text_pipeline.h"

namespace batch {

bool TextPipeline::hand_on(std::string& out) {
  if (!encoder_ && decoder_.encoding() != TextEncoding::kUnknown) {
    encoder_.emplace(decoder_.encoding());
    steps_.start(decoder_.encoding(), out);
  }
  bool going = text_.empty() || steps_.feed(std::string_view(text_), out);
  text_.clear();
  if (!going) {
    stop_ = TextStop::kConversion;
  }
  return going;
}

bool TextPipeline::feed(std::string_view bytes, std::string& out) {
  if (stop_ != TextStop::kNone) {
    return false;
  }
  if (encoder_ && decoder_.passes_bytes()) {
    // Past the start of a file of bytes: no copy through the decoder.
    if (!steps_.feed(bytes, out)) {
      stop_ = TextStop::kConversion;
    }
    return stop_ == TextStop::kNone;
  }
  bool decoded = decoder_.feed(bytes, text_);
  if (hand_on(out) && !decoded) {
    stop_ = TextStop::kDecoding;
  }
  return stop_ == TextStop::kNone;
}

bool TextPipeline::finish(std::string& out) {
  if (stop_ != TextStop::kNone) {
    return false;
  }
  bool decoded = decoder_.finish(text_);
  if (!hand_on(out)) {
    return false;
  }
  if (!decoded) {
    stop_ = TextStop::kDecoding;
    return false;
  }
  if (!encoder_) {
    // An empty file: its encoding is that of bytes.
    encoder_.emplace(decoder_.encoding());
    steps_.start(decoder_.encoding(), out);
  }
  if (!steps_.finish(out)) {
    stop_ = TextStop::kConversion;
  }
  return stop_ == TextStop::kNone;
}

void TextPipeline::encode(std::string_view text, std::string& out) {
  if (transcodes()) {
    encoder_->encode(text, out);
  } else {
    out.append(text);
  }
}

}  // namespace batch
