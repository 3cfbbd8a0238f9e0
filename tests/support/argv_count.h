// Counts the arguments of a Windows command line the way CommandLineToArgvW
// splits it: the program name first (up to its closing quote, or up to the
// first blank or tab), then arguments separated by blanks and tabs outside
// quotes, where backslashes escape quotes only in front of them.
#pragma once

#include <string_view>

namespace plinor::testing {

inline int CountArguments(std::string_view line) {
  std::size_t i = 0;
  const auto blank = [&](std::size_t at) {
    return at < line.size() && (line[at] == ' ' || line[at] == '\t');
  };
  if (line.empty()) return 0;
  int count = 1;
  if (line[0] == '"') {
    for (++i; i < line.size();)
      if (line[i++] == '"') break;
  } else {
    while (i < line.size() && !blank(i)) ++i;
  }
  while (blank(i)) ++i;
  if (i < line.size()) ++count;

  int quotes = 0;
  int backslashes = 0;
  while (i < line.size()) {
    if (blank(i) && quotes == 0) {
      while (blank(i)) ++i;
      if (i < line.size()) ++count;
      backslashes = 0;
    } else if (line[i] == '\\') {
      ++backslashes;
      ++i;
    } else if (line[i] == '"') {
      if (backslashes % 2 == 0) ++quotes;
      ++i;
      backslashes = 0;
      while (i < line.size() && line[i] == '"') {
        ++quotes;
        ++i;
      }
      quotes %= 3;
      if (quotes == 2) quotes = 0;
    } else {
      backslashes = 0;
      ++i;
    }
  }
  return count;
}

}  // namespace plinor::testing
