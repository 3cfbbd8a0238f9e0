#include "core/narrow_string.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace plinor {
namespace {

using testing::FakePlatform;

// 0x83 0x5C is a katakana letter in code page 932 whose trail byte is the
// backslash; 0x83 0x61 one whose trail byte is 'a'.
const std::string kSo = "\x83\x5C";
const std::string kDi = "\x83\x61";

TEST(NarrowString, FindMatchesOnlyAtCharacterBoundaries) {
  FakePlatform cp;
  cp.doubleByte = true;
  EXPECT_EQ(Find(cp, "C:" + kSo + "x", "\\"), -1);
  EXPECT_EQ(Find(cp, "C:" + kSo + "\\x", "\\"), 4);
  EXPECT_EQ(Find(cp, kDi + "a", "a"), 2);
  // A key that starts on a trail byte and runs into the next character.
  EXPECT_EQ(Find(cp, kSo + "EXE", "\\EXE"), -1);

  cp.doubleByte = false;  // code page 1252 has no lead bytes
  EXPECT_EQ(Find(cp, "C:" + kSo + "x", "\\"), 3);
  EXPECT_EQ(Find(cp, "abc", ""), 0);
  EXPECT_EQ(Find(cp, "ab", "abc"), -1);
}

TEST(NarrowString, MakeUpperLeavesDoubleByteCharactersAlone) {
  FakePlatform cp;
  cp.doubleByte = true;
  std::string text = "c:\\" + kDi + "\\firefox.exe";
  MakeUpper(cp, text);
  EXPECT_EQ(text, "C:\\" + kDi + "\\FIREFOX.EXE");

  cp.doubleByte = false;
  text = kDi;
  MakeUpper(cp, text);
  EXPECT_EQ(text, "\x83\x41");
  text = "\xE9t\xE9";  // only a to z change
  MakeUpper(cp, text);
  EXPECT_EQ(text, "\xE9T\xE9");
}

TEST(NarrowString, ReplaceKeepsTrailBytes) {
  FakePlatform cp;
  cp.doubleByte = true;
  std::string text = "C:\\" + kSo + "\\Plinor\\";
  Replace(cp, text, "\\", "/");
  EXPECT_EQ(text, "C:/" + kSo + "/Plinor/");

  // A lead byte as the very last byte stands alone.
  text = "a\\\x83";
  Replace(cp, text, "\\", "/");
  EXPECT_EQ(text, "a/\x83");
}

TEST(NarrowString, TrimAndLeft) {
  std::string text = " \t\n\v\f\rab c \r\n";
  TrimLeft(text);
  EXPECT_EQ(text, "ab c \r\n");
  TrimRight(text);
  EXPECT_EQ(text, "ab c");
  EXPECT_EQ(Left("abcdef", 3), "abc");
  EXPECT_EQ(Left("abc", 4), "abc");
  EXPECT_EQ(Left("abc", -1), "");
}

TEST(NarrowString, FormatTextReplacesPlaceholdersOnce) {
  EXPECT_EQ(FormatText("a %1 b %2 c %3 %", "x%2", "%1y"), "a x%2 b %1y c %3 %");
}

TEST(NarrowString, TextUpToZeroStopsAtZeroOrSize) {
  const unsigned char bytes[] = {'a', 'b', 0, 'c'};
  EXPECT_EQ(TextUpToZero(bytes, 4), "ab");
  EXPECT_EQ(TextUpToZero(bytes, 1), "a");
}

}  // namespace
}  // namespace plinor
