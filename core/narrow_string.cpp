#include "core/narrow_string.h"

#include <cstring>

namespace plinor {

namespace {

// Length in bytes of the character that begins at text[i].
std::size_t CharLength(const CodePage& cp, std::string_view text,
                       std::size_t i) {
  if (cp.IsDBCSLeadByte(static_cast<unsigned char>(text[i])) &&
      i + 1 < text.size())
    return 2;
  return 1;
}

}  // namespace

int Find(const CodePage& cp, std::string_view text, std::string_view key) {
  if (key.size() > text.size()) return -1;
  for (std::size_t i = 0; i + key.size() <= text.size();
       i += CharLength(cp, text, i)) {
    if (text.compare(i, key.size(), key) == 0) return static_cast<int>(i);
  }
  return -1;
}

std::string Left(std::string_view text, int n) {
  if (n < 0) return std::string();
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

void MakeUpper(const CodePage& cp, std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = CharLength(cp, text, i);
    if (length == 1 && text[i] >= 'a' && text[i] <= 'z')
      text[i] = static_cast<char>(text[i] - 'a' + 'A');
    i += length;
  }
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

void TrimLeft(std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && IsWhiteSpace(text[first])) ++first;
  text.erase(0, first);
}

void TrimRight(std::string& text) {
  // White space is never a trail byte in any double-byte code page: their
  // trail bytes start at 0x40.
  std::size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
  text.erase(end);
}

void Replace(const CodePage& cp, std::string& text, std::string_view from,
             std::string_view to) {
  if (from.empty()) return;
  std::string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, from.size(), from) == 0) {
      result.append(to);
      i += from.size();
    } else {
      std::size_t length = CharLength(cp, text, i);
      result.append(text, i, length);
      i += length;
    }
  }
  text = std::move(result);
}

std::string TextUpToZero(const unsigned char* bytes, std::size_t size) {
  const void* zero = std::memchr(bytes, 0, size);
  std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) -
                                      bytes)
           : size;
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

std::string FormatText(std::string_view pattern, std::string_view first,
                       std::string_view second) {
  std::string result;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() &&
        (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      result.append(pattern[i + 1] == '1' ? first : second);
      ++i;
    } else {
      result.push_back(pattern[i]);
    }
  }
  return result;
}

}  // namespace plinor
