#include "core/java_check.h"

#include <gtest/gtest.h>

#include "core/texts.h"
#include "tests/support/fake_platform.h"

namespace plinor {
namespace {

using testing::ExitCalled;
using testing::FakePlatform;

constexpr const char* kJava = "Software\\JavaSoft\\Java Runtime Environment";

void RegisterJava(FakePlatform& p, const std::string& current,
                  const std::optional<std::string>& micro, bool microEndsInZero = true) {
  p.SetString(kHkeyLocalMachine, kJava, "CurrentVersion", current);
  p.AddKey(kHkeyLocalMachine, std::string(kJava) + "\\" + current);
  if (micro)
    p.SetValue(kHkeyLocalMachine, std::string(kJava) + "\\" + current, "MicroVersion",
               testing::kRegSz, *micro + (microEndsInZero ? std::string(1, '\0') : ""));
}

struct VersionCase {
  std::string current;
  std::string micro;
  bool accepted;
  bool microEndsInZero = true;
};

std::ostream& operator<<(std::ostream& out, const VersionCase& c) {
  return out << ::testing::PrintToString(c.current) << " "
             << ::testing::PrintToString(c.micro) << (c.microEndsInZero ? "" : " without zero");
}

class Versions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Versions, AreComparedWith142) {
  const VersionCase& c = GetParam();
  FakePlatform p;
  RegisterJava(p, c.current, c.micro, c.microEndsInZero);
  CheckJavaRuntime(p);
  if (c.accepted) {
    EXPECT_TRUE(p.prompts.empty());
  } else {
    ASSERT_EQ(p.prompts.size(), 1u);
    EXPECT_EQ(p.prompts[0].caption, "Talvor Plinor");
    EXPECT_EQ(p.prompts[0].type, 0x44u);
    EXPECT_EQ(p.prompts[0].text, IDS_JAVA_MISSING_TEXT);
  }
  EXPECT_EQ(p.OpenKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    JavaCheck, Versions,
    ::testing::Values(VersionCase{"1.4", "2", true}, VersionCase{"1.4", "1", false},
                      VersionCase{"1.4", "0", false}, VersionCase{"1.3", "9", false},
                      VersionCase{"1.5", "0", true}, VersionCase{"1.6", "0", true},
                      VersionCase{"1.4.2", "2", true},
                      VersionCase{"1.10", "31", false},
                      VersionCase{"1.10", "32", true},
                      VersionCase{" 1.4x", "2 ", true},
                      VersionCase{"0x1p3", "0", false},
                      VersionCase{"1e1", "0", true},
                      VersionCase{"1.8", "", true},
                      // A MicroVersion longer than the CurrentVersion text.
                      VersionCase{"1.4", "0000000000002", true},
                      // Values of 50 bytes, the most that is read.
                      VersionCase{"1.6" + std::string(46, '0'), "0", true},
                      VersionCase{"1.4", std::string(48, '0') + "2", true},
                      // Stored without its zero: read up to its stored size,
                      // not into what the CurrentVersion read left (113).
                      VersionCase{"1.3", "11", false, false},
                      // -inf + inf is no number, so not at least 142.
                      VersionCase{"-1e999", "1e999", false},
                      // 141.99999999999997 when every step is rounded to a
                      // double; 142 when x87 keeps the wider intermediate.
                      VersionCase{"1.4199999999999997", "1.4209987353464015e-14", false}));

TEST(JavaCheck, TheFirstFailingStepChoosesTheCaption) {
  struct Case {
    const char* name;
    std::function<void(FakePlatform&)> setUp;
    const char* caption;
  };
  const Case cases[] = {
      {"no key", [](FakePlatform&) {}, "Talvor Plinor "},
      {"key denied",
       [](FakePlatform& p) {
         RegisterJava(p, "1.6", "0");
         p.DenyKey(kHkeyLocalMachine, kJava);
       },
       "Talvor Plinor "},
      {"no CurrentVersion",
       [](FakePlatform& p) { p.AddKey(kHkeyLocalMachine, kJava); },
       "Talvor Plinor "},
      {"CurrentVersion of 51 bytes",
       [](FakePlatform& p) { RegisterJava(p, std::string(50, '1'), "0"); },
       "Talvor Plinor "},
      {"no version key",
       [](FakePlatform& p) {
         p.SetString(kHkeyLocalMachine, kJava, "CurrentVersion", "1.4");
       },
       "Talvor Plinor "},
      {"no MicroVersion",
       [](FakePlatform& p) { RegisterJava(p, "1.4", std::nullopt); },
       "Talvor Plinor"},
      {"MicroVersion of 51 bytes",
       [](FakePlatform& p) { RegisterJava(p, "1.4", std::string(50, '2')); },
       "Talvor Plinor"},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    c.setUp(p);
    CheckJavaRuntime(p);
    ASSERT_EQ(p.prompts.size(), 1u) << c.name;
    EXPECT_EQ(p.prompts[0].caption, c.caption) << c.name;
    EXPECT_EQ(p.OpenKeyCount(), 0) << c.name;
  }
}

TEST(JavaCheck, OpensTheKeysWithTheirAccessMasks) {
  FakePlatform p;
  RegisterJava(p, "1.4", "2");
  CheckJavaRuntime(p);
  ASSERT_EQ(p.opens.size(), 2u);
  EXPECT_EQ(p.opens[0].subKey, kJava);
  EXPECT_EQ(p.opens[0].access, 1u);
  EXPECT_EQ(p.opens[1].subKey, std::string(kJava) + "\\1.4");
  EXPECT_EQ(p.opens[1].access, 0x20019u);
}

TEST(JavaCheck, NoEndsTheProcessWithStatusZeroAndEveryPromptAsksAgain) {
  FakePlatform p;
  CheckJavaRuntime(p);
  CheckJavaRuntime(p);
  EXPECT_EQ(p.prompts.size(), 2u);

  p.answers = {kIdNo};
  RegisterJava(p, "1.3", "1");
  try {
    CheckJavaRuntime(p);
    FAIL() << "the check returned after No";
  } catch (const ExitCalled& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  EXPECT_EQ(p.OpenKeyCount(), 0);
}

TEST(JavaCheck, AFailedPromptCountsAsYes) {
  FakePlatform p;
  p.answers = {0};
  CheckJavaRuntime(p);
  EXPECT_EQ(p.prompts.size(), 1u);
}

}  // namespace
}  // namespace plinor
