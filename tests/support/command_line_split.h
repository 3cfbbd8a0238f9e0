// Splits a Windows command line into arguments the way CommandLineToArgvW
// does, so that the native tests see what a browser's own parse would give:
// the program name first (up to its closing quote, or up to the first blank
// or tab), then arguments separated by blanks and tabs outside quotes, where
// backslashes escape only the quotes in front of them. A platform test holds
// it to the real CommandLineToArgvW.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plinor::testing {

inline std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  if (line.empty()) return arguments;
  std::size_t i = 0;
  const auto blank = [&](std::size_t at) {
    return at < line.size() && (line[at] == ' ' || line[at] == '\t');
  };
  if (line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    arguments.emplace_back(line.substr(1, close == line.npos ? close : close - 1));
    i = close == line.npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !blank(i)) ++i;
    arguments.emplace_back(line.substr(0, i));
  }
  while (blank(i)) ++i;

  std::string* argument = nullptr;  // the one being read, if any
  int quotes = 0;
  std::size_t backslashes = 0;
  while (i < line.size()) {
    if (blank(i) && quotes == 0) {
      while (blank(i)) ++i;
      argument = nullptr;
      backslashes = 0;
      continue;
    }
    if (!argument) argument = &arguments.emplace_back();
    if (line[i] == '\\') {
      *argument += '\\';
      ++backslashes;
      ++i;
    } else if (line[i] == '"') {
      // 2n backslashes and a quote: n backslashes, and the quote opens or
      // closes; 2n + 1: n backslashes and a quote of the text.
      argument->resize(argument->size() - backslashes / 2);
      if (backslashes % 2 == 0) {
        ++quotes;
      } else {
        argument->back() = '"';
      }
      ++i;
      backslashes = 0;
      // Quotes in a row: every third gives a quote of the text.
      for (; i < line.size() && line[i] == '"'; ++i)
        if (++quotes == 3) {
          *argument += '"';
          quotes = 0;
        }
      if (quotes == 2) quotes = 0;
    } else {
      *argument += line[i++];
      backslashes = 0;
    }
  }
  return arguments;
}

inline int CountArguments(std::string_view line) {
  return static_cast<int>(SplitCommandLine(line).size());
}

}  // namespace plinor::testing
