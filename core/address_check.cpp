#include "core/address_check.h"

#include <cstdint>

#include "core/narrow_string.h"
#include "core/prompts.h"
#include "core/texts.h"

namespace plinor {

namespace {

constexpr int kHighestPiece = 254;
constexpr std::size_t kLongestHostName = 63;

// True when white space stands between the first and the last character
// that is not white space.
bool HasInnerWhiteSpace(const std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && IsWhiteSpace(text[first])) ++first;
  std::size_t end = text.size();
  while (end > first && IsWhiteSpace(text[end - 1])) --end;
  for (std::size_t i = first; i < end; ++i)
    if (IsWhiteSpace(text[i])) return true;
  return false;
}

// Whether the address stays one argument at the end of the browser's command
// line, which is split at blanks and tabs outside double quotes. White space
// inside the address or a double quote would split it; so would a line break
// after a trailing blank, since only blanks and tabs separate arguments.
// Trailing blanks and tabs alone are harmless and kept.
bool CannotSplit(const std::string& address) {
  if (HasInnerWhiteSpace(address) || address.find('"') != std::string::npos)
    return false;
  std::size_t end = address.size();
  while (end > 0 && IsWhiteSpace(address[end - 1])) {
    --end;
    if (address[end] != ' ' && address[end] != '\t') return false;
  }
  return true;
}

// The piece's leading decimal integer, as the C runtime's atoi reads it:
// white space, an optional sign, then digits up to the first non-digit. A
// digit run beyond a 32-bit int is out of range, never wrapped around.
bool PieceInRange(const std::string& piece) {
  std::size_t i = 0;
  while (i < piece.size() && IsWhiteSpace(piece[i])) ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
    negative = piece[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
    value = value * 10 + (piece[i] - '0');
    if (value > INT32_MAX) return false;
  }
  if (negative) value = -value;
  return value >= 0 && value <= kHighestPiece;
}

}  // namespace

int CheckAddressAsIP(Platform& platform, std::string address) {
  if (address.find('.') == std::string::npos) return kAddressNoDot;

  bool valid = CannotSplit(address);
  for (std::size_t start = 0; valid && start < address.size();) {
    std::size_t dot = address.find('.', start);
    if (dot == std::string::npos) dot = address.size();
    if (dot > start) valid = PieceInRange(address.substr(start, dot - start));
    start = dot + 1;
  }
  if (valid) return kAddressDotted;
  ShowCheckMessage(platform, IDS_INVALID_IP);
  return kAddressRejected;
}

int CheckHostName(Platform& platform, std::string address) {
  const std::size_t length = address.size();
  unsigned message = 0;
  std::string trimmed = address;
  TrimLeft(trimmed);
  TrimRight(trimmed);
  if (length == 0) {
    message = IDS_HOST_EMPTY;
  } else if (trimmed.size() != length || HasInnerWhiteSpace(address)) {
    // Any of the six white-space characters, not only the blank: each would
    // split the browser's command line.
    message = IDS_HOST_SPACES;
  } else if (Find(platform, address, "?") != -1) {
    message = IDS_HOST_QUESTION;
  } else if (address.find('"') != std::string::npos) {
    message = IDS_HOST_QUOTE;
  } else if (length > kLongestHostName) {
    message = IDS_HOST_TOO_LONG;
  } else {
    return 1;
  }
  ShowCheckMessage(platform, message);
  return 0;
}

}  // namespace plinor
