// Drives a running PlinorLauncher.exe through its windows, as a user would,
// and prepares the machine it runs on: registry keys, an installation folder
// and stand-in browsers that record how they were started.
#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <optional>
#include <set>
#include <source_location>
#include <string>
#include <vector>

#include "tests/support/win32_helpers.h"

namespace e2e {

using plinor::testing::ReadFileBytes;
using plinor::testing::WaitUntil;
using plinor::testing::WindowsOnScreen;
using plinor::testing::WindowText;
using plinor::testing::WriteFileBytes;
inline constexpr DWORD kTimeout = plinor::testing::kWaitTimeout;

// A message box the launcher showed, as the user saw it.
struct Box {
  std::string caption;
  std::string text;
  bool yesNo = false;           // Yes and No buttons, else only OK
  bool dialogEnabled = false;   // whether the launcher dialog stayed usable
  bool operator==(const Box&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << "box \"" << box.caption << "\": \"" << box.text << "\"";
}

// One start of a stand-in browser.
struct BrowserStart {
  unsigned long long tick = 0;  // microseconds of the performance counter
  std::string program;          // the file that ran
  std::string commandLine;
  std::vector<std::string> browserArgs;  // its CommandLineToArgvW's arguments
};

// The machine's state for one test: a folder of its own, the registry keys
// the launcher reads, and the recorder copied under browser names.
class Machine {
 public:
  // Named after the running test; starts empty. The machine's keys are
  // saved first and put back at the end (tests/support/machine_state.h).
  Machine();
  ~Machine();

  const std::string& folder() const { return folder_; }  // ends with '\'
  std::string HistoryPath() const { return folder_ + "host.cfg"; }

  void Install();                     // the Plinor key's Path = folder()
  void SetInstallPath(const std::string& path);  // the Plinor key's Path
  void Uninstall();                   // no Plinor key at all
  void SetJava(const char* current, const char* micro);  // micro null: none
  void RemoveJava();
  void SetBrowserCommand(const std::string& command);
  void SetInternetExplorerPath(const std::string& path);
  // Copies the recorder to folder() + relative and returns the full path.
  std::string AddBrowser(const std::string& relative);
  // Copies the recorder to a full path outside folder(); what was there
  // before (a file, or nothing) is put back at the end.
  std::string AddBrowserAt(const std::string& path);

  bool FileExists(const std::string& path) const;

  std::vector<BrowserStart> Starts() const;
  // Waits until at least `count` starts are recorded, and checks how each
  // browser parsed its command line (CommandLineToArgvW): its own path,
  // then the launcher page alone (nothing more after a Firefox pre-start).
  std::vector<BrowserStart> WaitForStarts(
      std::size_t count, std::source_location caller = std::source_location::current()) const;

  static std::string BuildFolder();  // where the executables are

 private:
  std::string folder_;
  std::string log_;
};

class LauncherSession {
 public:
  // Starts the launcher in `directory` and waits for its dialog.
  explicit LauncherSession(const std::string& directory);
  ~LauncherSession();  // ends the launcher if it still runs

  HWND dialog() const { return dialog_; }
  bool Running() const;
  // Waits for the launcher to end; its exit code, or nullopt on time-out.
  std::optional<DWORD> WaitForExit(std::source_location caller = std::source_location::current());

  std::string AddressText() const;
  void SetAddressText(const std::string& text);
  bool HttpsTicked() const;
  void SetHttps(bool ticked);
  std::vector<std::string> ListItems() const;
  std::size_t ItemCount() const;

  // Presses Launch and returns when the launch has ended, answering each
  // message box on the way with the next answer (IDOK when none is left).
  std::vector<Box> Launch(std::vector<int> answers = {},
                          std::source_location caller = std::source_location::current());
  // Presses Launch and returns when its handler has finished; false when it
  // has not within the wait's time (a message box left unanswered, say).
  bool PressLaunch();
  // Sends a key to the focused control, as typing it would.
  void PressKey(WORD key);
  // Sends a system-menu command to the dialog and returns at once.
  void PostSysCommand(WPARAM command, LPARAM parameter = 0);
  // Waits for a popup menu of the launcher to open.
  bool WaitForMenu(std::source_location caller = std::source_location::current());
  // Types a key on the keyboard.
  void TypeKey(WORD key);

  // A top-level dialog of the launcher other than the main one, by caption.
  HWND WaitForWindow(const std::string& caption,
                     std::source_location caller = std::source_location::current());
  // Waits for a window to close.
  bool WaitForClosed(HWND window,
                     std::source_location caller = std::source_location::current());
  std::optional<Box> WaitForBox(std::source_location caller = std::source_location::current());
  // A message box the launcher shows now, other than those in `seen`.
  HWND FindBox(const std::set<HWND>& seen = {}) const;
  Box ReadBox(HWND window) const;
  void Answer(HWND box, int button);

 private:
  std::vector<HWND> Dialogs() const;

  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};


}  // namespace e2e
