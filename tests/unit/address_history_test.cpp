#include "core/address_history.h"

#include <gtest/gtest.h>

#include <new>
#include <source_location>

#include "core/texts.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_list.h"

namespace plinor {
namespace {

using testing::FakePlatform;
using testing::RecordingList;
using testing::FileFaults;

constexpr const char* kHistory = "C:\\Apps\\Plinor\\host.cfg";

using Lines = std::vector<std::string>;

class History : public ::testing::Test {
 protected:
  // A PC with Plinor installed in C:\Apps\Plinor\ and no history yet.
  static FakePlatform InstalledPc() {
    FakePlatform pc;
    pc.SetString(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path", "C:\\Apps\\Plinor\\");
    return pc;
  }
  void ExpectFileErrorReported(std::uint32_t error,
                               std::source_location caller = std::source_location::current()) {
    const ::testing::ScopedTrace trace(caller.file_name(), static_cast<int>(caller.line()),
                                       "expected file error report");
    ASSERT_EQ(p.prompts.size(), 1u);
    EXPECT_EQ(p.prompts[0].caption, "Talvor Plinor ");
    EXPECT_EQ(p.prompts[0].type, 0x40u);
    EXPECT_EQ(p.prompts[0].text,
              "The address history file could not be read or written.\n\n"
              "File:\nC:\\Apps\\Plinor\\host.cfg\n\nSystem error " +
                  std::to_string(error) + ".");
    EXPECT_EQ(p.OpenFileCount(), 0);
    EXPECT_EQ(p.strayCloses, 0) << "a handle closed twice";
  }
  FakePlatform p = InstalledPc();
  RecordingList list;
};

TEST_F(History, FirstLoadCreatesAndSeedsTheFile) {
  LoadAddressHistory(p, list);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1");
  EXPECT_EQ(list.items, Lines{"192.168.0.1"});

  RecordingList again;  // an empty file is seeded the same way
  p.files[kHistory] = "";
  LoadAddressHistory(p, again);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1");
  EXPECT_EQ(again.items, Lines{"192.168.0.1"});
  EXPECT_EQ(p.OpenFileCount(), 0);
  EXPECT_TRUE(p.prompts.empty());
}

struct LoadCase {
  const char* name;
  std::string bytes;
  Lines lines;
};

std::ostream& operator<<(std::ostream& out, const LoadCase& c) {
  return out << c.name;
}

class Load : public History, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(Load, ListsEveryLineAsItIsAndWritesNothing) {
  const LoadCase& c = GetParam();
  p.files[kHistory] = c.bytes;
  LoadAddressHistory(p, list);
  EXPECT_EQ(list.items, c.lines);
  EXPECT_EQ(p.files[kHistory], c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    History, Load,
    ::testing::Values(
        LoadCase{"OneLineBreak", "\r\n", {""}},
        LoadCase{"CrLfBetweenLines", "a\r\nb", {"a", "b"}},
        LoadCase{"TrailingBreak", "a\r\nb\r\n", {"a", "b"}},
        LoadCase{"LoneLfAlsoBreaks", "a\nb", {"a", "b"}},
        LoadCase{"LoneCrStays", "a\rb\r\nc\r", {"a\rb", "c\r"}},
        LoadCase{"CrCrLf", "a\r\r\nb", {"a\r", "b"}},
        LoadCase{"RepeatsAndBlanks", "x\r\n\r\nx\r\n y ", {"x", "", "x", " y "}},
        LoadCase{"NulAndCtrlZ", std::string("a\0b\r\n\x1A" "c", 7),
                 {std::string("a\0b", 3), "\x1A" "c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(History, LinesLongerThanTheReadBufferAreWhole) {
  const std::string longLine(200000, 'L');
  std::string bytes = longLine + "\r\n";
  // A CR LF pair split across two reads of the buffer.
  bytes += std::string(65536 - bytes.size() % 65536 - 1, 'm') + "\r\nend";
  p.files[kHistory] = bytes;
  LoadAddressHistory(p, list);
  ASSERT_EQ(list.items.size(), 3u);
  EXPECT_EQ(list.items[0], longLine);
  EXPECT_EQ(list.items[1].back(), 'm');
  EXPECT_EQ(list.items[2], "end");
}

TEST_F(History, LoadThatCannotOpenListsNothingAndCreatesNothing) {
  p.faults[kHistory].openError = kErrorSharingViolation;
  LoadAddressHistory(p, list);
  EXPECT_TRUE(list.items.empty());
  EXPECT_FALSE(p.files.count(kHistory));
  EXPECT_TRUE(p.prompts.empty());
}

// Another opener holds the file for a moment: each open is tried again every
// 15 ms, up to 16 times; other errors are not waited for.
struct HeldCase {
  const char* name;
  bool append;
  FileFaults faults;
  bool opened;
  std::size_t pauses;
};

std::ostream& operator<<(std::ostream& out, const HeldCase& c) {
  return out << c.name;
}

class Held : public History, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(Held, FilesHeldForAMomentAreWaitedFor) {
  const HeldCase& c = GetParam();
  p.files[kHistory] = "a\r\nb";
  p.faults[kHistory] = c.faults;
  if (c.append) {
    EXPECT_TRUE(AppendAddressHistory(p, list, "c"));
    EXPECT_EQ(p.files[kHistory], c.opened ? "a\r\nb\r\nc" : "a\r\nb");
    EXPECT_EQ(list.items, Lines{"c"});
  } else {
    LoadAddressHistory(p, list);
    EXPECT_EQ(list.items, c.opened ? (Lines{"a", "b"}) : Lines{});
  }
  EXPECT_EQ(p.pauses, std::vector<std::uint32_t>(c.pauses, 15));
  EXPECT_TRUE(p.prompts.empty());
  EXPECT_EQ(p.OpenFileCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    History, Held,
    ::testing::Values(
        HeldCase{"LoadAfterThreeTries", false, {.heldOpens = 3}, true, 3},
        HeldCase{"AppendAfterThreeTries", true, {.heldOpens = 3}, true, 3},
        HeldCase{"LoadAtTheLastTry", false, {.heldOpens = 16}, true, 16},
        HeldCase{"AppendHeldPastTheWait", true, {.heldOpens = 17}, false, 16},
        HeldCase{"LoadHeldThroughout", false, {.openError = kErrorSharingViolation}, false, 16},
        HeldCase{"AccessDeniedIsNotWaitedFor", true, {.openError = kErrorAccessDenied}, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(History, AnEmptyHistoryWhoseSeedCannotBeWrittenListsNothing) {
  p.files[kHistory] = "";
  p.faults[kHistory].writeError = 112;
  LoadAddressHistory(p, list);
  ExpectFileErrorReported(112);
  // The default address is not on disk, so it is not listed either.
  EXPECT_EQ(list.items, Lines{});
  EXPECT_EQ(p.files[kHistory], "");
}

// Adding to the list throws (out of memory, say): the file is closed all the
// same, on the way out.
TEST_F(History, AnExceptionWhileListingLeavesTheFileClosed) {
  struct ThrowingList : AddressList {
    void AddString(const std::string&) override { throw std::bad_alloc(); }
  } throwing;
  p.files[kHistory] = "a\r\nb";
  EXPECT_THROW(LoadAddressHistory(p, throwing), std::bad_alloc);
  EXPECT_EQ(p.OpenFileCount(), 0);
  EXPECT_THROW(AppendAddressHistory(p, throwing, "c"), std::bad_alloc);
  EXPECT_EQ(p.OpenFileCount(), 0);
  EXPECT_EQ(p.files[kHistory], "a\r\nb");
  EXPECT_EQ(p.strayCloses, 0);
}

TEST_F(History, LoadWithoutInstallationUsesTheBareName) {
  p.DeleteKey(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT);
  LoadAddressHistory(p, list);
  EXPECT_EQ(p.files["host.cfg"], "192.168.0.1");
}

TEST_F(History, LoadReportsReadAndCloseErrorsAndChangesNothing) {
  for (const auto& [fault, listed] :
       {std::pair{FileFaults{0, 23, 0, 0, 0, 0}, Lines{}},
        std::pair{FileFaults{0, 0, 0, 0, 0, 1117}, Lines{"a", "b"}}}) {
    SCOPED_TRACE(fault.readError ? "read error" : "close error");
    p = InstalledPc();
    RecordingList loaded;
    p.files[kHistory] = "a\r\nb";
    p.faults[kHistory] = fault;
    LoadAddressHistory(p, loaded);
    EXPECT_EQ(loaded.items, listed);
    EXPECT_EQ(p.files[kHistory], "a\r\nb");
    ExpectFileErrorReported(fault.readError + fault.closeError);
  }
}

TEST_F(History, AppendAddsANewAddressAfterALineBreak) {
  p.files[kHistory] = "10.0.0.1";
  EXPECT_TRUE(AppendAddressHistory(p, list, "10.0.0.2"));
  EXPECT_EQ(p.files[kHistory], "10.0.0.1\r\n10.0.0.2");
  EXPECT_EQ(list.items, Lines{"10.0.0.2"});

  // Found the second time: neither the file nor the list changes.
  EXPECT_TRUE(AppendAddressHistory(p, list, "10.0.0.2"));
  EXPECT_EQ(p.files[kHistory], "10.0.0.1\r\n10.0.0.2");
  EXPECT_EQ(list.items, Lines{"10.0.0.2"});
  EXPECT_EQ(p.OpenFileCount(), 0);
}

TEST_F(History, DuplicateTestIsByteForByte) {
  p.files[kHistory] = "Router\r\n10.0.0.1";
  for (const char* address : {"router", "10.0.0.1 ", "Router\r"})
    EXPECT_TRUE(AppendAddressHistory(p, list, address));
  EXPECT_EQ(p.files[kHistory],
            "Router\r\n10.0.0.1\r\nrouter\r\n10.0.0.1 \r\nRouter\r");
  EXPECT_EQ(list.items, (Lines{"router", "10.0.0.1 ", "Router\r"}));
}

TEST_F(History, AFileEndingInALineBreakGainsAnEmptyLine) {
  p.files[kHistory] = "a\r\n";
  EXPECT_TRUE(AppendAddressHistory(p, list, "b"));
  EXPECT_EQ(p.files[kHistory], "a\r\n\r\nb");
  RecordingList loaded;
  LoadAddressHistory(p, loaded);
  EXPECT_EQ(loaded.items, (Lines{"a", "", "b"}));
}

TEST_F(History, AppendNeverCreatesTheFile) {
  for (int launch = 0; launch < 2; ++launch)
    EXPECT_TRUE(AppendAddressHistory(p, list, "10.0.0.9"));
  EXPECT_FALSE(p.files.count(kHistory));
  EXPECT_EQ(list.items, (Lines{"10.0.0.9", "10.0.0.9"}));
  EXPECT_TRUE(p.prompts.empty());
}

TEST_F(History, AppendToAFileHeldElsewhereListsTheAddressOnly) {
  p.files[kHistory] = "a";
  p.faults[kHistory].openError = kErrorSharingViolation;
  EXPECT_TRUE(AppendAddressHistory(p, list, "b"));
  EXPECT_EQ(p.files[kHistory], "a");
  EXPECT_EQ(list.items, Lines{"b"});
}

struct FaultCase {
  const char* name;
  testing::FileFaults faults;
  bool listed;  // whether the address reached the list before the fault
  const char* address = "c";  // "b" is in the file already
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
  return out << c.name;
}

class AppendFault : public History,
                    public ::testing::WithParamInterface<FaultCase> {};

TEST_P(AppendFault, EndsTheLaunchReportsAndLosesNothing) {
  const FaultCase& c = GetParam();
  p.files[kHistory] = "a\r\nb";
  p.faults[kHistory] = c.faults;
  EXPECT_FALSE(AppendAddressHistory(p, list, c.address));
  EXPECT_EQ(p.files[kHistory].substr(0, 4), "a\r\nb");
  EXPECT_EQ(list.items, c.listed ? Lines{"c"} : Lines{});
  std::uint32_t error = c.faults.readError + c.faults.seekError +
                        c.faults.writeError + c.faults.closeError;
  ExpectFileErrorReported(error);
}

INSTANTIATE_TEST_SUITE_P(
    History, AppendFault,
    ::testing::Values(FaultCase{"Read", {0, 30, 2, 0, 0, 0}, false},
                      FaultCase{"Seek", {0, 0, 0, 25, 0, 0}, true},
                      FaultCase{"Write", {0, 0, 0, 0, 112, 0}, true},
                      FaultCase{"Close", {0, 0, 0, 0, 0, 1117}, true},
                      FaultCase{"CloseAfterFinding", {0, 0, 0, 0, 0, 1117}, false, "b"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plinor
