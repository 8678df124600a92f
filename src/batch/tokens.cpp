#include "batch/tokens.h"

#include "chronology/number_text.h"

namespace batch {

TokenKind parse_number(std::string_view token, std::int32_t& value) {
  // The console reader takes a sign alone as 0; here it is no number at all.
  bool sign_only = token.size() == 1 && (token[0] == '+' || token[0] == '-');
  if (token.empty() || sign_only || !chronology::convert_integer(token, value)) {
    return TokenKind::kInvalid;
  }
  return TokenKind::kNumber;
}

}  // namespace batch
