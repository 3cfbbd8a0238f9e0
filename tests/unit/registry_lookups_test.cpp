#include "core/registry_lookups.h"

#include <gtest/gtest.h>

#include "core/texts.h"
#include "tests/support/fake_platform.h"

namespace plinor {
namespace {

using testing::FakePlatform;
using testing::kRegBinary;
using testing::kRegDword;
using testing::kRegSz;

constexpr const char* kInstallKey = IDS_INSTALL_KEY_TEXT;
constexpr const char* kBrowserKey = "http\\shell\\open\\command";
constexpr const char* kIeKey =
    "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe";

// A text of n bytes (terminating zero included) ending in a backslash.
std::string TextOfSize(std::size_t bytes) {
  std::string text(bytes - 2, 'p');
  return text + "\\";
}

struct SizeCase {
  std::size_t bytes;  // the value's size, terminating zero included
  bool readWhole;
};

std::ostream& operator<<(std::ostream& out, const SizeCase& c) {
  return out << c.bytes << " bytes";
}

class ValueSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ValueSizes, EachLookupReadsValuesThatFitAndRefusesLongerOnes) {
  const SizeCase c = GetParam();
  const std::string text = TextOfSize(c.bytes);
  const std::string expected = c.readWhole ? text : "";
  FakePlatform p;
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", text);
  p.SetString(kHkeyClassesRoot, kBrowserKey, "", text);
  p.SetString(kHkeyLocalMachine, kIeKey, "", text);

  EXPECT_EQ(ReadInstallPath(p), expected) << c.bytes << " bytes";
  EXPECT_EQ(ReadDefaultBrowserCommand(p), expected) << c.bytes << " bytes";
  EXPECT_EQ(ReadInternetExplorerPath(p), expected) << c.bytes << " bytes";
  EXPECT_EQ(p.OpenKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Registry, ValueSizes,
                         ::testing::Values(SizeCase{49, true}, SizeCase{50, true},
                                           SizeCase{51, true}, SizeCase{60, true},
                                           SizeCase{127, true},
                                           SizeCase{128, true},
                                           SizeCase{129, false},
                                           SizeCase{200, false}));

TEST(RegistryLookups, OpensExactlyTheDocumentedKeysForReading) {
  FakePlatform p;
  ReadInstallPath(p);
  ReadDefaultBrowserCommand(p);
  ReadInternetExplorerPath(p);
  ASSERT_EQ(p.opens.size(), 3u);
  EXPECT_EQ(p.opens[0].root, kHkeyLocalMachine);
  EXPECT_EQ(p.opens[0].subKey, kInstallKey);
  EXPECT_EQ(p.opens[1].root, kHkeyClassesRoot);
  EXPECT_EQ(p.opens[1].subKey, kBrowserKey);
  EXPECT_EQ(p.opens[2].root, kHkeyLocalMachine);
  EXPECT_EQ(p.opens[2].subKey, kIeKey);
  for (const auto& open : p.opens) {
    EXPECT_EQ(open.options, 0u);
    EXPECT_EQ(open.access, 0x20019u);
  }
}

TEST(RegistryLookups, ValuesAreTakenAsBytesWhateverTheirType) {
  FakePlatform p;
  // No terminating zero: the text runs to the end of the value.
  p.SetValue(kHkeyLocalMachine, kInstallKey, "Path", kRegSz, "C:\\Apps\\");
  p.SetValue(kHkeyClassesRoot, kBrowserKey, "", kRegBinary,
             std::string("ab\0cd", 5));
  p.SetValue(kHkeyLocalMachine, kIeKey, "", kRegDword,
             std::string("\x41\x42\x00\x00", 4));
  EXPECT_EQ(ReadInstallPath(p), "C:\\Apps\\");
  EXPECT_EQ(ReadDefaultBrowserCommand(p), "ab");
  EXPECT_EQ(ReadInternetExplorerPath(p), "AB");

  // 60 bytes without a zero, read whole by the second read.
  p.SetValue(kHkeyLocalMachine, kInstallKey, "Path", kRegSz,
             std::string(60, 'x'));
  EXPECT_EQ(ReadInstallPath(p), std::string(60, 'x'));
  // 128 bytes without a zero fill the buffer exactly.
  p.SetValue(kHkeyClassesRoot, kBrowserKey, "", kRegSz, std::string(128, 'y'));
  EXPECT_EQ(ReadDefaultBrowserCommand(p), std::string(128, 'y'));
  EXPECT_EQ(p.OpenKeyCount(), 0);
}

// Another program (an installer repairing a running PC) changes a value
// between two reads: no text is ever made from a read that failed.
TEST(RegistryLookups, AValueThatChangesBetweenTheReadsGivesEmptyText) {
  struct Lookup {
    RegHandle root;
    const char* key;
    const char* name;
    std::string (*read)(Platform&);
  };
  for (const Lookup& l : {Lookup{kHkeyLocalMachine, kInstallKey, "Path", ReadInstallPath},
                          Lookup{kHkeyLocalMachine, kIeKey, "", ReadInternetExplorerPath},
                          Lookup{kHkeyClassesRoot, kBrowserKey, "", ReadDefaultBrowserCommand}}) {
    for (const std::string& longer : {TextOfSize(60), TextOfSize(200)}) {
      FakePlatform p;
      p.SetString(l.root, l.key, l.name, "C:\\Plinor\\");
      int reads = 0;
      p.afterRegQuery = [&] {
        if (++reads == 1) p.SetString(l.root, l.key, l.name, longer);
      };
      EXPECT_EQ(l.read(p), "") << l.key << ", grown to " << longer.size() + 1 << " bytes";
      EXPECT_EQ(p.OpenKeyCount(), 0);
    }
  }
}

TEST(RegistryLookups, MissingKeysAndValuesGiveEmptyText) {
  FakePlatform p;
  EXPECT_EQ(ReadInstallPath(p), "");
  EXPECT_EQ(ReadDefaultBrowserCommand(p), "");
  EXPECT_EQ(ReadInternetExplorerPath(p), "");

  p.AddKey(kHkeyLocalMachine, kInstallKey);
  p.AddKey(kHkeyClassesRoot, kBrowserKey);
  p.SetString(kHkeyClassesRoot, kBrowserKey, "other", "x.exe");
  p.AddKey(kHkeyLocalMachine, kIeKey);
  EXPECT_EQ(ReadInstallPath(p), "");
  EXPECT_EQ(ReadDefaultBrowserCommand(p), "");
  EXPECT_EQ(ReadInternetExplorerPath(p), "");

  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "C:\\Apps\\Plinor\\");
  p.DenyKey(kHkeyLocalMachine, kInstallKey);
  EXPECT_EQ(ReadInstallPath(p), "");
  EXPECT_EQ(p.OpenKeyCount(), 0);
  EXPECT_TRUE(p.prompts.empty());
}

TEST(RegistryLookups, NothingIsCachedBetweenCalls) {
  FakePlatform p;
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "C:\\Plinor");
  p.SetString(kHkeyClassesRoot, kBrowserKey, "",
              "\"C:\\Browsers\\IE\\iexplore.exe\" -nohome %1");
  EXPECT_EQ(ReadInstallPath(p), "C:\\Plinor");
  EXPECT_EQ(ReadDefaultBrowserCommand(p),
            "\"C:\\Browsers\\IE\\iexplore.exe\" -nohome %1");
  p.DeleteKey(kHkeyLocalMachine, "Software\\Talvor Systems");
  EXPECT_EQ(ReadInstallPath(p), "");
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "%ProgramFiles%\\P\\");
  EXPECT_EQ(ReadInstallPath(p), "%ProgramFiles%\\P\\");
}

}  // namespace
}  // namespace plinor
