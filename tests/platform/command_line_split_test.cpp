// The fuzz tests count arguments the way CommandLineToArgvW splits a command
// line; here that count meets the real splitter.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "core/browser_launch.h"
#include "tests/support/argv_count.h"

namespace plinor {
namespace {

int RealArgumentCount(const std::string& line) {
  const int size = ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, wide.data(), size);
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(wide.c_str(), &count);
  ::LocalFree(arguments);
  return count;
}

TEST(CommandLineSplit, CountsAsTheRealSplitterDoes) {
  const char* lines[] = {
      "a",
      "\"C:\\B\\IEXPLORE.EXE\" file:///C:/P/common/common/launcher.html?ROUTER=x",
      "C:\\NS\\NETSCP.EXE  file:///\"C:/P/launcher.html\"?USEHTTPS=1?ROUTER=1.2",
      "\"C file:///::/Apps/;common?ROUTER=\"%",
      "p file:///0?ROUTER=.:\\\t\n\n",
      "p a\\\"b c",
      "p \"a\"\"b c\" d",
      "p \"a\"\"\"b c",
      "p a\\\\\"b c\" d",
      "p \t  ",
      "\"unterminated program name",
      "p \"\" \"\"",
      "p a\"b\"\"c d",
  };
  for (const char* line : lines)
    EXPECT_EQ(testing::CountArguments(line), RealArgumentCount(line))
        << ::testing::PrintToString(std::string(line));
}

}  // namespace
}  // namespace plinor
