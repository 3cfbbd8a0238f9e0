#include "core/launch.h"

#include <gtest/gtest.h>

#include "core/texts.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_list.h"

namespace plinor {
namespace {

using testing::ExitCalled;
using testing::FakePlatform;
using testing::RecordingList;

constexpr const char* kHistory = "C:\\Apps\\Plinor\\host.cfg";
constexpr const char* kPage =
    "\"C:\\IE\\IEXPLORE.EXE\" file:///C:/Apps/Plinor/common/common/"
    "launcher.html";

class Launch : public ::testing::Test {
 protected:
  // A PC with Java 1.6.0, Internet Explorer as the default browser, Plinor
  // installed and a history of one line.
  static FakePlatform InstalledPc() {
    FakePlatform pc;
    pc.SetString(kHkeyLocalMachine, "Software\\JavaSoft\\Java Runtime Environment",
                 "CurrentVersion", "1.6");
    pc.SetString(kHkeyLocalMachine, "Software\\JavaSoft\\Java Runtime Environment\\1.6",
                 "MicroVersion", "0");
    pc.SetString(kHkeyClassesRoot, "http\\shell\\open\\command", "",
                 "\"C:\\IE\\iexplore.exe\" %1");
    pc.SetString(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path", "C:\\Apps\\Plinor\\");
    pc.files[kHistory] = "192.168.0.1";
    return pc;
  }

  LaunchOutcome Run(std::string typed, int https = 0) {
    address = std::move(typed);
    useHttps = https;
    return RunLaunch(p, address, useHttps, list);
  }

  FakePlatform p = InstalledPc();
  RecordingList list;
  std::string address;
  int useHttps = 0;
};

TEST_F(Launch, ANewAddressIsTrimmedRecordedAndLaunched) {
  EXPECT_EQ(Run(" \t10.0.0.7", 1), LaunchOutcome::BrowserStartMade);
  EXPECT_EQ(address, "10.0.0.7");
  EXPECT_EQ(p.files[kHistory], "192.168.0.1\r\n10.0.0.7");
  EXPECT_EQ(list.items, std::vector<std::string>{"10.0.0.7"});
  ASSERT_EQ(p.starts.size(), 1u);
  EXPECT_EQ(p.starts[0].commandLine,
            std::string(kPage) + "?USEHTTPS=1?ROUTER=10.0.0.7");
  EXPECT_TRUE(p.prompts.empty());
}

TEST_F(Launch, TrailingWhiteSpaceOfADottedAddressIsKept) {
  EXPECT_EQ(Run("10.0.0.8  "), LaunchOutcome::BrowserStartMade);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1\r\n10.0.0.8  ");
  ASSERT_EQ(p.starts.size(), 1u);
  EXPECT_EQ(p.starts[0].commandLine, std::string(kPage) + "?ROUTER=10.0.0.8  ");
}

TEST_F(Launch, AKnownAddressIsLaunchedWithoutBeingRecorded) {
  EXPECT_EQ(Run("192.168.0.1"), LaunchOutcome::BrowserStartMade);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1");
  EXPECT_TRUE(list.items.empty());
  EXPECT_EQ(p.starts.size(), 1u);
}

TEST_F(Launch, RejectedAddressesEndTheLaunchWithTheirMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"", IDS_HOST_EMPTY_TEXT},
      {"   ", IDS_HOST_EMPTY_TEXT},
      {"router ", IDS_HOST_SPACES_TEXT},
      {"a?b", IDS_HOST_QUESTION_TEXT},
      {"10.0.0.255", IDS_INVALID_IP_TEXT},
      {"10.0.0.1 --kiosk", IDS_INVALID_IP_TEXT},
  };
  for (const auto& [typed, message] : cases) {
    p = InstalledPc();
    EXPECT_EQ(Run(typed), LaunchOutcome::AddressRejected) << typed;
    ASSERT_EQ(p.prompts.size(), 1u) << typed;
    EXPECT_EQ(p.prompts[0].text, message) << typed;
    EXPECT_EQ(p.files[kHistory], "192.168.0.1") << typed;
    EXPECT_TRUE(p.starts.empty()) << typed;
  }
  EXPECT_TRUE(list.items.empty());
}

TEST_F(Launch, NotInstalledEndsTheLaunchBeforeTheAddressIsChecked) {
  p.DeleteKey(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT);
  EXPECT_EQ(Run("  "), LaunchOutcome::NotInstalled);
  ASSERT_EQ(p.prompts.size(), 1u);
  EXPECT_EQ(p.prompts[0].text, IDS_NOT_INSTALLED_TEXT);
  EXPECT_EQ(address, "  ");  // not even trimmed
  EXPECT_TRUE(p.starts.empty());
}

TEST_F(Launch, JavaNoEndsTheProcessBeforeAnythingElse) {
  p.DeleteKey(kHkeyLocalMachine, "Software\\JavaSoft");
  p.answers = {kIdNo};
  EXPECT_THROW(Run("10.0.0.9"), ExitCalled);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1");
  EXPECT_TRUE(p.starts.empty());
  EXPECT_EQ(p.opens.size(), 1u);
}

TEST_F(Launch, JavaYesGoesOnAsIfTheRuntimeWereThere) {
  p.DeleteKey(kHkeyLocalMachine, "Software\\JavaSoft");
  EXPECT_EQ(Run("10.0.0.9"), LaunchOutcome::BrowserStartMade);
  EXPECT_EQ(p.prompts.size(), 1u);
  EXPECT_EQ(p.starts.size(), 1u);
}

TEST_F(Launch, ALaunchNestedInTheJavaPromptRefreshesTheMembers) {
  p.DeleteKey(kHkeyLocalMachine, "Software\\JavaSoft");
  bool nested = false;
  p.onPrompt = [&](const testing::Prompt&) {
    if (nested) return;
    nested = true;
    // The user changed the text and ticked HTTPS, then pressed Launch again.
    address = "10.0.0.20";
    useHttps = 1;
    RecordingList inner;
    EXPECT_EQ(RunLaunch(p, address, useHttps, inner), LaunchOutcome::BrowserStartMade);
  };
  EXPECT_EQ(Run("10.0.0.10"), LaunchOutcome::BrowserStartMade);
  ASSERT_EQ(p.starts.size(), 2u);
  EXPECT_EQ(p.starts[0].commandLine,
            std::string(kPage) + "?USEHTTPS=1?ROUTER=10.0.0.20");
  EXPECT_EQ(p.starts[1].commandLine,
            std::string(kPage) + "?USEHTTPS=1?ROUTER=10.0.0.20");
}

TEST_F(Launch, AHistoryErrorEndsTheLaunchWithoutABrowser) {
  p.faults[kHistory].writeError = 112;
  EXPECT_EQ(Run("10.0.0.30"), LaunchOutcome::HistoryFailed);
  EXPECT_TRUE(p.starts.empty());
  EXPECT_EQ(p.files[kHistory], "192.168.0.1");
  EXPECT_EQ(p.prompts.size(), 1u);
}

TEST_F(Launch, ALaunchDuringTheHistoryErrorReportFindsTheFileClosed) {
  p.faults[kHistory].writeError = 112;
  p.onPrompt = [&](const testing::Prompt&) {
    if (!p.faults.erase(kHistory)) return;
    // The report has no owner: the user pressed Launch again meanwhile.
    std::string again = "10.0.0.31";
    int https = 0;
    RecordingList inner;
    EXPECT_EQ(RunLaunch(p, again, https, inner), LaunchOutcome::BrowserStartMade);
  };
  EXPECT_EQ(Run("10.0.0.30"), LaunchOutcome::HistoryFailed);
  EXPECT_EQ(p.files[kHistory], "192.168.0.1\r\n10.0.0.31");
  EXPECT_EQ(p.starts.size(), 1u);
}

TEST_F(Launch, AMissingHistoryFileStillLaunches) {
  p.files.clear();
  EXPECT_EQ(Run("router"), LaunchOutcome::BrowserStartMade);
  EXPECT_EQ(list.items, std::vector<std::string>{"router"});
  EXPECT_TRUE(p.files.empty());
  ASSERT_EQ(p.starts.size(), 1u);
  EXPECT_EQ(p.starts[0].commandLine, std::string(kPage) + "?ROUTER=router");
}

}  // namespace
}  // namespace plinor
