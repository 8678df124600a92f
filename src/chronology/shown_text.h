#ifndef VARVE_CHRONOLOGY_SHOWN_TEXT_H_
#define VARVE_CHRONOLOGY_SHOWN_TEXT_H_

// How the front ends show text the user gave (a value, a header's name, a
// file's name) inside a message or a row, so that no byte of it can upset a
// terminal or a reader. Each rule is named for where it is used.

#include <cstddef>
#include <string>
#include <string_view>

namespace chronology {

/// Appends `byte` as \xNN.
inline void append_hex_escape(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
}

/// A token or a name for a terminal: every byte that is not printable ASCII
/// (control bytes, a no-break space, a byte-order mark) as \xNN.
inline std::string ascii_shown(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x20 || c >= 0x7f) {
      append_hex_escape(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

/// A binding's element in a message: as ascii_shown, cut after `longest`
/// bytes with "..." so that one long value cannot flood the message.
inline std::string ascii_shown_cut(std::string_view bytes, std::size_t longest) {
  std::string out = ascii_shown(bytes.substr(0, longest));
  return bytes.size() > longest ? out + "..." : out;
}

/// A field of a CSV file in a message: control bytes as \xNN, other bytes
/// (UTF-8 as the file has it) kept, and cut short with "..." (at a character
/// boundary) past 60 bytes.
inline std::string field_shown(std::string_view text) {
  constexpr std::size_t kLongest = 60;
  bool cut = text.size() > kLongest;
  if (cut) {
    std::size_t n = kLongest;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
      --n;
    }
    text = text.substr(0, n);
  }
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      append_hex_escape(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return cut ? out + "..." : out;
}

/// The length of the multi-byte UTF-8 character that starts `text`, or 0 when
/// it does not start with one (an empty text, an ASCII byte, a lone
/// continuation byte, a cut or overlong sequence).
inline std::size_t utf8_length(std::string_view text) {
  if (text.empty()) {
    return 0;
  }
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
  }
  // No overlong three- or four-byte forms.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xF0 && byte(1) < 0x90)) {
    return 0;
  }
  return length;
}

/// A cell as a line-mode row shows it and a message quotes it: every byte
/// that is not printable (a control byte, or one that is not part of a UTF-8
/// character) as \xNN, and cut short with "..." past 60 bytes.
inline std::string cell_shown(std::string_view cell) {
  constexpr std::size_t kLongest = 60;
  std::string out;
  std::size_t at = 0;
  while (at < cell.size() && at < kLongest) {
    auto c = static_cast<unsigned char>(cell[at]);
    if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
      ++at;
    } else if (std::size_t length = c >= 0x80 ? utf8_length(cell.substr(at)) : 0) {
      out.append(cell.substr(at, length));
      at += length;
    } else {
      append_hex_escape(out, c);
      ++at;
    }
  }
  if (at < cell.size()) {
    out.append("...");
  }
  return out;
}

}  // namespace chronology

#endif  // VARVE_CHRONOLOGY_SHOWN_TEXT_H_
