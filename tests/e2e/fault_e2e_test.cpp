// The real launcher against a history file that is held, missing, huge or
// strange, and against a second launcher writing at the same moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "launcher_session.h"
#include "ui/resource.h"

namespace e2e {
namespace {

using Lines = std::vector<std::string>;

class Faults : public ::testing::Test {
 protected:
  Faults() {
    machine.Install();
    machine.SetJava("1.6", "0");
    const std::string ie = machine.AddBrowser("browsers\\iexplore.exe");
    machine.SetBrowserCommand("\"" + ie + "\" -nohome");
  }

  // The file's lines as the launcher reads them: CR LF ends a line.
  static Lines SplitLines(const std::string& bytes) {
    Lines lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = bytes.find("\r\n", begin)) != std::string::npos;
         begin = end + 2)
      lines.push_back(bytes.substr(begin, end - begin));
    if (begin < bytes.size()) lines.push_back(bytes.substr(begin));
    return lines;
  }

  Machine machine;
};

TEST_F(Faults, AHistoryHeldByAnotherProcessIsNeitherReadNorWritten) {
  WriteFileBytes(machine.HistoryPath(), "10.0.0.1");
  HANDLE held = ::CreateFileA(machine.HistoryPath().c_str(),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ListItems(), Lines{});
  for (int launch = 1; launch <= 2; ++launch) {
    launcher.SetAddressText("10.0.0.2");
    EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
    EXPECT_EQ(machine.WaitForStarts(launch).size(), static_cast<std::size_t>(launch));
  }
  // Listed on every launch while the file stays unavailable.
  EXPECT_EQ(launcher.ListItems(), (Lines{"10.0.0.2", "10.0.0.2"}));
  ::CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "10.0.0.1");
}

// Another process that holds the history for 60 ms at a time, as a second
// launcher appending now and then would, with gaps of 50 ms: longer than
// the launcher's 15 ms between retries plus a timer tick (15.6 ms), so that
// one of its retries within 240 ms finds the file free however the ticks
// fall.
class BriefHolder {
 public:
  explicit BriefHolder(const std::string& path)
      : thread_([this, path] {
          while (!stop_) {
            HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
              ++holds_;
              ::Sleep(60);
              ::CloseHandle(file);
            }
            ::Sleep(50);
          }
        }) {}
  ~BriefHolder() {
    stop_ = true;
    thread_.join();
  }
  int holds() const { return holds_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> holds_{0};
  std::thread thread_;
};

TEST_F(Faults, AHistoryHeldForMomentsIsListedAndEveryAddressRecorded) {
  WriteFileBytes(machine.HistoryPath(), "10.0.0.1\r\nrouter");
  auto holder = std::make_optional<BriefHolder>(machine.HistoryPath());
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ListItems(), (Lines{"10.0.0.1", "router"}));
  for (int launch = 1; launch <= 5; ++launch) {
    launcher.SetAddressText("10.0.1." + std::to_string(launch));
    EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  }
  EXPECT_EQ(machine.WaitForStarts(5).size(), 5u);
  EXPECT_GT(holder->holds(), 0);
  holder.reset();
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()),
            "10.0.0.1\r\nrouter\r\n10.0.1.1\r\n10.0.1.2\r\n10.0.1.3\r\n10.0.1.4\r\n10.0.1.5");
}

TEST_F(Faults, AReadOnlyHistoryIsLeftAlone) {
  WriteFileBytes(machine.HistoryPath(), "10.0.0.1");
  ::SetFileAttributesA(machine.HistoryPath().c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = ::CreateFileA(machine.HistoryPath().c_str(), GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    ::SetFileAttributesA(machine.HistoryPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this system lets a read-only file be opened for writing "
                    "(Wine run by root)";
  }
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ListItems(), Lines{});
  launcher.SetAddressText("10.0.0.2");
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  EXPECT_EQ(machine.WaitForStarts(1).size(), 1u);
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "10.0.0.1");
  ::SetFileAttributesA(machine.HistoryPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Faults, AMissingFolderCreatesNothingAndStillLaunches) {
  const std::string missing = machine.folder() + "missing\\";
  machine.SetInstallPath(missing);
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ListItems(), Lines{});
  launcher.SetAddressText("router");
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  EXPECT_EQ(launcher.ListItems(), Lines{"router"});
  EXPECT_EQ(machine.WaitForStarts(1).size(), 1u);
  EXPECT_FALSE(machine.FileExists(missing));
  EXPECT_FALSE(machine.FileExists(machine.HistoryPath()));
}

TEST_F(Faults, AHundredThousandLinesAreListedAndSearched) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i) {
    if (i) bytes += "\r\n";
    bytes += "10." + std::to_string(i / 65536) + "." +
             std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
  }
  WriteFileBytes(machine.HistoryPath(), bytes);
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ItemCount(), 100000u);

  launcher.SetAddressText("10.1.134.159");  // the last line
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  launcher.SetAddressText("10.200.0.1");
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), bytes + "\r\n10.200.0.1");
  EXPECT_EQ(machine.WaitForStarts(2).size(), 2u);
}

TEST_F(Faults, AMegabyteLineNulBytesAndLoneCarriageReturnsAreKept) {
  const std::string huge(1000000, 'x');
  const std::string bytes = std::string("a\0b\r\n", 5) + huge + "\r\nc\rd\r\n\r\n" +
                            "e\r";
  WriteFileBytes(machine.HistoryPath(), bytes);
  LauncherSession launcher(machine.folder());
  Lines items = launcher.ListItems();
  // A list entry ends at a NUL byte; everything else is as in the file.
  EXPECT_EQ(items, (Lines{"", "a", "c\rd", "e\r", huge}));

  launcher.SetAddressText("a");  // not the line "a\0b"
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), bytes + "\r\na");
}

TEST_F(Faults, TwoLaunchersWritingAtOnceNeverInterleaveOrLoseALine) {
  constexpr int kLaunches = 200;
  plinor::testing::ThisTestMayTake(90000);  // about 15 s where nothing else runs
  WriteFileBytes(machine.HistoryPath(), "192.168.0.1");
  LauncherSession first(machine.folder());
  LauncherSession second(machine.folder());
  ASSERT_TRUE(first.dialog() && second.dialog());

  // Each thread launches its own addresses. Wine now and then fails one of
  // two process starts made at the same moment; the launcher then reports
  // it, and a watcher answers the report. A launch that does not end says
  // what its launcher shows instead.
  std::mutex reportsLock;
  std::vector<std::string> reports;  // each failed start's report
  auto run = [&](LauncherSession* launcher, const std::string& prefix, std::string* stuck) {
    std::atomic<bool> done{false};
    std::thread watcher([&] {
      while (!done) {
        if (HWND box = launcher->FindBox()) {
          const Box shown = launcher->ReadBox(box);
          if (shown.text.rfind("The web browser could not be started.", 0) == 0) {
            {
              std::lock_guard<std::mutex> lock(reportsLock);
              reports.push_back(prefix + "\t" + shown.text);
            }
            launcher->Answer(box, IDOK);
            launcher->WaitForClosed(box);
          }
        }
        ::Sleep(5);
      }
    });
    for (int i = 0; i < kLaunches && stuck->empty(); ++i) {
      const std::string address = prefix + std::to_string(i);
      launcher->SetAddressText(address);
      if (!launcher->PressLaunch()) {
        std::optional<Box> box = launcher->WaitForBox();
        *stuck = address + ": " +
                 (box ? box->caption + ": " + box->text : "no message box");
      }
    }
    done = true;
    watcher.join();
  };
  std::string firstStuck;
  std::string secondStuck;
  std::thread a(run, &first, "10.1.0.", &firstStuck);
  std::thread b(run, &second, "10.2.0.", &secondStuck);
  a.join();
  b.join();
  ASSERT_EQ(firstStuck + secondStuck, "") << "a launch did not end";

  // Each launcher listed every one of its addresses, written or not.
  EXPECT_EQ(first.ItemCount(), 1u + kLaunches);
  EXPECT_EQ(second.ItemCount(), 1u + kLaunches);

  std::set<std::string> launched{"192.168.0.1"};
  for (int i = 0; i < kLaunches; ++i) {
    launched.insert("10.1.0." + std::to_string(i));
    launched.insert("10.2.0." + std::to_string(i));
  }
  const Lines lines = SplitLines(ReadFileBytes(machine.HistoryPath()));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "192.168.0.1");
  std::set<std::string> seen;
  for (const std::string& line : lines) {
    EXPECT_TRUE(launched.count(line)) << "a line that nobody launched: " << line;
    EXPECT_TRUE(seen.insert(line).second) << "written twice: " << line;
  }
  // Each launcher's own lines stand in the order it launched them.
  for (const char* prefix : {"10.1.0.", "10.2.0."}) {
    int last = -1;
    for (const std::string& line : lines) {
      if (line.rfind(prefix, 0) != 0) continue;
      const int n = std::stoi(line.substr(7));
      EXPECT_GT(n, last) << line;
      last = n;
    }
  }
  // A launch that found the file held by the other waited its turn: every
  // address was written, whole and once.
  EXPECT_EQ(lines.size(), 1u + 2 * kLaunches);
  // A failed start is rare (none in most runs), and each is the launcher's
  // report of one of its own launches, with the system's reason.
  EXPECT_LE(reports.size(), 8u) << "browser starts failed";
  for (const std::string& report : reports) {
    const std::string prefix = report.substr(0, report.find('\t'));
    EXPECT_NE(report.find("\nCommand line:\n"), std::string::npos) << report;
    EXPECT_NE(report.find("?ROUTER=" + prefix), std::string::npos) << report;
    EXPECT_NE(report.find("\n\nSystem error "), std::string::npos) << report;
  }
  const std::size_t started = 2 * kLaunches - reports.size();
  EXPECT_EQ(machine.WaitForStarts(started).size(), started);
  std::cout << lines.size() - 1 << " of " << 2 * kLaunches
            << " launches recorded their address; "
            << reports.size() << " browser starts failed in Wine and were reported\n";
}

}  // namespace
}  // namespace e2e
