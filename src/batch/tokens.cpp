#include "batch/tokens.h"

#include "console/input.h"

namespace batch {

TokenKind parse_number(std::string_view token, std::int32_t& value) {
  // Most tokens are a few digits, which cannot overflow: read them directly.
  if (!token.empty() && token.size() <= 9) {
    std::uint32_t v = 0;
    bool digits = true;
    for (char c : token) {
      digits &= c >= '0' && c <= '9';
      v = v * 10 + static_cast<std::uint32_t>(static_cast<unsigned char>(c) - '0');
    }
    if (digits) {
      value = static_cast<std::int32_t>(v);
      return TokenKind::kNumber;
    }
  }
  // The console reader takes a sign alone as 0; here it is no number at all.
  bool sign_only = token.size() == 1 && (token[0] == '+' || token[0] == '-');
  if (token.empty() || sign_only || !console::convert_integer(token, value)) {
    return TokenKind::kInvalid;
  }
  return TokenKind::kNumber;
}

}  // namespace batch
