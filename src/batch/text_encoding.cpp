#include "batch/text_encoding.h"

#include <utility>

namespace batch {
namespace {

/// Appends code point (or lone surrogate) `c` in UTF-8.
void append_utf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool is_high_surrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

bool TextDecoder::fail(std::string message) {
  if (error_.empty()) {
    error_ = std::move(message);
  }
  return false;
}

bool TextDecoder::feed(std::string_view bytes, std::string& out) {
  if (!error_.empty()) {
    return false;
  }
  switch (encoding_) {
    case TextEncoding::kUnknown:
      held_.append(bytes);
      return held_.size() < 4 || decide(out);
    case TextEncoding::kBytes:
      return pass_bytes(bytes, out);
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be:
      decode_units(bytes, out);
      return true;
  }
  return true;
}

bool TextDecoder::finish(std::string& out) {
  if (!error_.empty()) {
    return false;
  }
  if (encoding_ == TextEncoding::kUnknown && !decide(out)) {
    return false;
  }
  if (encoding_ == TextEncoding::kUtf16Le || encoding_ == TextEncoding::kUtf16Be) {
    if (high_ != 0) {
      append_utf8(out, std::exchange(high_, 0));
    }
    if (odd_byte_ >= 0) {
      return fail(
          "the file ends inside a UTF-16 character (an odd number of bytes); the rows before it "
          "were written");
    }
  }
  return true;
}

bool TextDecoder::decide(std::string& out) {
  std::string first = std::move(held_);
  held_.clear();
  std::string_view start = first;
  if (start.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
      start.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
    encoding_ = TextEncoding::kBytes;
    return fail("the file is in UTF-32, which is not read: save it as UTF-8 or UTF-16");
  }
  if (start.starts_with("\xFF\xFE")) {
    encoding_ = TextEncoding::kUtf16Le;
  } else if (start.starts_with("\xFE\xFF")) {
    encoding_ = TextEncoding::kUtf16Be;
  } else {
    encoding_ = TextEncoding::kBytes;
    return pass_bytes(start, out);
  }
  decode_units(start, out);
  return true;
}

bool TextDecoder::pass_bytes(std::string_view bytes, std::string& out) {
  if (seen_ < kNulSearched) {
    std::size_t nul = bytes.substr(0, kNulSearched - seen_).find('\0');
    if (nul != std::string_view::npos) {
      out.append(bytes.substr(0, nul));
      return fail(
          "the file holds NUL bytes but no byte-order mark (UTF-16 without one?): save it as "
          "UTF-8, or as UTF-16 with a byte-order mark");
    }
  }
  seen_ += bytes.size();
  out.append(bytes);
  return true;
}

void TextDecoder::decode_units(std::string_view bytes, std::string& out) {
  bool little = encoding_ == TextEncoding::kUtf16Le;
  std::size_t at = 0;
  while (at < bytes.size()) {
    unsigned first, second;
    if (odd_byte_ >= 0) {
      first = static_cast<unsigned>(odd_byte_);
      second = static_cast<unsigned char>(bytes[at]);
      odd_byte_ = -1;
      at += 1;
    } else if (at + 1 < bytes.size()) {
      first = static_cast<unsigned char>(bytes[at]);
      second = static_cast<unsigned char>(bytes[at + 1]);
      at += 2;
    } else {
      odd_byte_ = static_cast<unsigned char>(bytes[at]);
      return;
    }
    std::uint32_t unit = little ? first | second << 8 : first << 8 | second;
    if (high_ != 0) {
      if (is_low_surrogate(unit)) {
        append_utf8(out, 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
        high_ = 0;
        continue;
      }
      append_utf8(out, std::exchange(high_, 0));  // A lone high surrogate, kept.
    }
    if (is_high_surrogate(unit)) {
      high_ = unit;
    } else {
      append_utf8(out, unit);
    }
  }
}

void TextEncoder::put_unit(std::uint32_t unit, std::string& out) const {
  auto high = static_cast<char>(unit >> 8);
  auto low = static_cast<char>(unit & 0xFF);
  if (encoding_ == TextEncoding::kUtf16Le) {
    out.push_back(low);
    out.push_back(high);
  } else {
    out.push_back(high);
    out.push_back(low);
  }
}

void TextEncoder::encode(std::string_view text, std::string& out) {
  if (!transcodes()) {
    out.append(text);
    return;
  }
  std::string joined;
  if (!partial_.empty()) {
    joined = std::move(partial_) + std::string(text);
    partial_.clear();
    text = joined;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xC0 ? 0
                         : lead < 0xE0 ? 2
                         : lead < 0xF0 ? 3
                         : lead < 0xF8 ? 4
                                       : 0;
    if (length == 0) {
      put_unit(0xFFFD, out);  // Never in text a TextDecoder gave; not lost silently either.
      ++at;
      continue;
    }
    if (at + length > text.size()) {
      partial_.assign(text.substr(at));
      return;
    }
    std::uint32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    bool good = true;
    for (std::size_t i = 1; i < length; ++i) {
      auto next = static_cast<unsigned char>(text[at + i]);
      good = good && (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    if (!good) {
      put_unit(0xFFFD, out);
      ++at;
      continue;
    }
    at += length;
    if (c >= 0x10000) {
      c -= 0x10000;
      put_unit(0xD800 + (c >> 10), out);
      put_unit(0xDC00 + (c & 0x3FF), out);
    } else {
      put_unit(c, out);
    }
  }
}

}  // namespace batch
