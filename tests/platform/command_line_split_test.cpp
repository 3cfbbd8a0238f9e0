// The unit and fuzz tests split command lines the way CommandLineToArgvW
// does; here that split meets the real one.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/support/command_line_split.h"

namespace plinor {
namespace {

std::vector<std::string> RealSplit(const std::string& line) {
  const int size = ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, wide.data(), size);
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::string> split;
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, arguments[i], -1, text, sizeof text - 1, nullptr, nullptr);
    split.emplace_back(text);
  }
  ::LocalFree(arguments);
  return split;
}

TEST(CommandLineSplit, SplitsAsTheRealSplitterDoes) {
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
      "\"C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE\"  file:///C:/P/launcher.html?ROUTER=x",
      "C:\\Program Files\\Web IE\\iexplore.exe file:///C:/P/launcher.html?ROUTER=x",
      "p \\\\\\\"a b\"\\\\\" c\\",
  };
  for (const char* line : lines)
    EXPECT_EQ(testing::SplitCommandLine(line), RealSplit(line))
        << ::testing::PrintToString(std::string(line));
}

}  // namespace
}  // namespace plinor
