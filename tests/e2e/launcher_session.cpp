#include "launcher_session.h"

#include "core/texts.h"
#include "tests/support/machine_state.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

namespace e2e {

using plinor::testing::SendTo;
using plinor::testing::SetRegistryString;

// A case that hangs past the runner's patience says so, with the screen.
const bool watchdog = plinor::testing::RegisterWatchdog();
// What a killed run left saved is put back before anything else.
const bool putBack = plinor::testing::PutBackWhatAKilledRunSaved();

namespace {

constexpr const char* kPlinorKey = "Software\\Talvor Systems";
constexpr const char* kInstallKey = IDS_INSTALL_KEY_TEXT;
constexpr const char* kJavaKey = "Software\\JavaSoft\\Java Runtime Environment";
constexpr const char* kBrowserKey = "http\\shell\\open\\command";
constexpr const char* kIeKey =
    "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe";

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

void MakeFolders(const std::string& path) {
  for (std::size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

// Where the tests' folders go: the temporary folder, unless its path holds
// a blank (a user name with one, on Windows), which would make every
// browser path in it one the launcher quotes; then the system drive's root.
std::string TestsFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (folder.find(' ') != std::string::npos) {
    char drive[MAX_PATH] = "C:";
    ::GetEnvironmentVariableA("SystemDrive", drive, MAX_PATH);
    folder = std::string(drive) + "\\";
  }
  return folder + "plinor-e2e\\";
}

// A short folder name of the running test's own: the registry values that
// hold paths into it must stay within the launcher's 127 characters.
std::string TestFolderName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name =
      std::string(info->test_suite_name()) + "." + info->name();
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char text[16];
  std::snprintf(text, sizeof text, "%08x", hash);
  return text;
}

struct FindContext {
  DWORD process;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM parameter) {
  auto* context = reinterpret_cast<FindContext*>(parameter);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  char className[64] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (process == context->process && ::IsWindowVisible(window) &&
      std::string(className) == "#32770")
    context->windows->push_back(window);
  return TRUE;
}

}  // namespace

// Machine -------------------------------------------------------------------

Machine::Machine() {
  plinor::testing::SaveMachineKeys();
  folder_ = TestsFolder() + TestFolderName() + "\\";
  RemoveTree(folder_);
  MakeFolders(folder_);
  log_ = folder_ + "recorder.log";
  ::SetEnvironmentVariableA("PLINOR_RECORDER_LOG", log_.c_str());
  Uninstall();
  RemoveJava();
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kBrowserKey);
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kIeKey);
}

Machine::~Machine() {
  plinor::testing::PutMachineBack();
  if (!::testing::Test::HasFailure()) RemoveTree(folder_);
}

void Machine::Install() { SetInstallPath(folder_); }

void Machine::SetInstallPath(const std::string& path) {
  SetRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, "Path", path);
}

void Machine::Uninstall() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPlinorKey); }

void Machine::SetJava(const char* current, const char* micro) {
  SetRegistryString(HKEY_LOCAL_MACHINE, kJavaKey, "CurrentVersion", current);
  const std::string versionKey = std::string(kJavaKey) + "\\" + current;
  if (micro)
    SetRegistryString(HKEY_LOCAL_MACHINE, versionKey, "MicroVersion", micro);
  else
    SetRegistryString(HKEY_LOCAL_MACHINE, versionKey, "JavaHome", "C:\\java");
}

void Machine::RemoveJava() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft");
}

void Machine::SetBrowserCommand(const std::string& command) {
  SetRegistryString(HKEY_CLASSES_ROOT, kBrowserKey, nullptr, command);
}

void Machine::SetInternetExplorerPath(const std::string& path) {
  SetRegistryString(HKEY_LOCAL_MACHINE, kIeKey, nullptr, path);
}

std::string Machine::BuildFolder() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string Machine::AddBrowser(const std::string& relative) {
  return AddBrowserAt(folder_ + relative);
}

std::string Machine::AddBrowserAt(const std::string& path) {
  if (path.compare(0, folder_.size(), folder_) != 0) plinor::testing::SaveFileAndFolders(path);
  MakeFolders(path);
  EXPECT_TRUE(::CopyFileA((BuildFolder() + "recorder.exe").c_str(),
                          path.c_str(), FALSE))
      << path;
  return path;
}

bool Machine::FileExists(const std::string& path) const {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<BrowserStart> Machine::Starts() const {
  std::vector<BrowserStart> starts;
  const std::string log = ReadFileBytes(log_);
  if (log == "<no file>") return starts;
  std::size_t begin = 0;
  for (std::size_t end; (end = log.find('\n', begin)) != std::string::npos;
       begin = end + 1) {
    const std::string line = log.substr(begin, end - begin);
    std::size_t at = 0;
    const auto field = [&] {
      const std::size_t tab = std::min(line.find('\t', at), line.size());
      std::string text = line.substr(at, tab - at);
      at = tab + 1;
      return text;
    };
    BrowserStart start;
    start.tick = std::stoull(field());
    start.program = field();
    for (int count = std::stoi(field()); count > 0; --count) start.browserArgs.push_back(field());
    start.commandLine = line.substr(std::min(at, line.size()));
    starts.push_back(start);
  }
  return starts;
}

std::vector<BrowserStart> Machine::WaitForStarts(std::size_t count,
                                                 std::source_location caller) const {
  std::vector<BrowserStart> starts;
  WaitUntil([&] { return (starts = Starts()).size() >= count; },
            std::to_string(count) + " browser starts", kTimeout, caller);
  // As each browser parsed its own command line: its path whole, then the
  // launcher page alone, or nothing more for a Firefox pre-start.
  for (const BrowserStart& start : starts) {
    const std::vector<std::string>& args = start.browserArgs;
    std::string program = args.empty() ? "" : args[0];
    while (!program.empty() && program.back() == ' ') program.pop_back();
    const bool page = args.size() == 2 && args[1].starts_with("file:///") &&
                      args[1].find("?ROUTER=") != std::string::npos;
    const bool bare = args.size() == 1 && start.commandLine.find("file:") == std::string::npos;
    if (_stricmp(program.c_str(), start.program.c_str()) != 0 || !(page || bare))
      ADD_FAILURE_AT(caller.file_name(), static_cast<int>(caller.line()))
          << start.program << " found " << args.size() << " arguments, the first \"" << program
          << "\", in " << start.commandLine;
  }
  return starts;
}

// LauncherSession -----------------------------------------------------------

LauncherSession::LauncherSession(const std::string& directory) {
  const std::string exe = Machine::BuildFolder() + "PlinorLauncher.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process_)) {
    ADD_FAILURE() << "could not start " << exe << ": " << ::GetLastError();
    return;
  }
  // The launcher's dialog is the one with the address box; its caption is
  // for the tests to check. It is shown once it has set up its controls.
  WaitUntil(
      [&] {
        for (HWND window : Dialogs())
          if (::GetDlgItem(window, IDC_ADDRESS) && ::IsWindowVisible(window)) dialog_ = window;
        return dialog_ != nullptr;
      },
      "the launcher's dialog");
  ::WaitForInputIdle(process_.hProcess, kTimeout);
}

LauncherSession::~LauncherSession() {
  if (!process_.hProcess) return;
  // Closed as a user would close it: a box still up is answered (No ends
  // the program at a Java prompt), then the dialog is closed. Ending the
  // process from outside is the last resort: under Wine 10 it has left the
  // server spinning, and every later program hanging at its start.
  WaitUntil(
      [&] {
        if (!Running()) return true;
        if (HWND box = FindBox()) {
          Answer(box, ReadBox(box).yesNo ? IDNO : IDOK);
        } else if (dialog_) {
          ::PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return ::WaitForSingleObject(process_.hProcess, 200) == WAIT_OBJECT_0;
      },
      "the launcher to close");
  if (Running()) {
    ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, kTimeout);
  }
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
}

bool LauncherSession::Running() const {
  return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> LauncherSession::WaitForExit(std::source_location caller) {
  if (!WaitUntil([&] { return !Running(); }, "the launcher to end", kTimeout, caller))
    return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::vector<HWND> LauncherSession::Dialogs() const {
  std::vector<HWND> windows;
  FindContext context{process_.dwProcessId, &windows};
  ::EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&context));
  return windows;
}

HWND LauncherSession::WaitForWindow(const std::string& caption, std::source_location caller) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : Dialogs())
          if (WindowText(window) == caption) found = window;
        return found != nullptr;
      },
      "a window \"" + caption + "\"", kTimeout, caller);
  return found;
}

bool LauncherSession::WaitForClosed(HWND window, std::source_location caller) {
  return WaitUntil([&] { return !::IsWindow(window); }, "a window to close", kTimeout, caller);
}

std::string LauncherSession::AddressText() const {
  return WindowText(::GetDlgItem(dialog_, IDC_ADDRESS));
}

void LauncherSession::SetAddressText(const std::string& text) {
  SendTo(::GetDlgItem(dialog_, IDC_ADDRESS), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

bool LauncherSession::HttpsTicked() const {
  return SendTo(::GetDlgItem(dialog_, IDC_USE_HTTPS), BM_GETCHECK) ==
         BST_CHECKED;
}

void LauncherSession::SetHttps(bool ticked) {
  SendTo(::GetDlgItem(dialog_, IDC_USE_HTTPS), BM_SETCHECK,
                 ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::size_t LauncherSession::ItemCount() const {
  return static_cast<std::size_t>(
      SendTo(::GetDlgItem(dialog_, IDC_ADDRESS), CB_GETCOUNT, 0, 0, true));
}

std::vector<std::string> LauncherSession::ListItems() const {
  // The W messages: across processes the A ones hand back UTF-16 unconverted.
  HWND combo = ::GetDlgItem(dialog_, IDC_ADDRESS);
  std::vector<std::string> items;
  const LRESULT count = SendTo(combo, CB_GETCOUNT, 0, 0, true);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendTo(combo, CB_GETLBTEXTLEN, i, 0, true);
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    SendTo(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide.data()), true);
    wide.resize(static_cast<std::size_t>(length));
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(),
                                      static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                          text.data(), bytes, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

void LauncherSession::Answer(HWND box, int button) {
  ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
}

Box LauncherSession::ReadBox(HWND window) const {
  // A message box shows its text in the static control 0xFFFF; the buttons
  // it does not use exist but are hidden.
  Box box;
  box.caption = WindowText(window);
  box.text = WindowText(::GetDlgItem(window, 0xFFFF));
  HWND yes = ::GetDlgItem(window, IDYES);
  box.yesNo = yes && ::IsWindowVisible(yes);
  box.dialogEnabled = ::IsWindowEnabled(dialog_) != FALSE;
  return box;
}

HWND LauncherSession::FindBox(const std::set<HWND>& seen) const {
  for (HWND window : Dialogs())
    if (window != dialog_ && ::GetDlgItem(window, 0xFFFF) && !seen.count(window))
      return window;
  return nullptr;
}

std::optional<Box> LauncherSession::WaitForBox(std::source_location caller) {
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindBox()) != nullptr; }, "a message box", kTimeout,
                 caller))
    return std::nullopt;
  return ReadBox(box);
}

bool LauncherSession::PressLaunch() {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(dialog_, IDOK)),
                               SMTO_NORMAL, kTimeout, &result) != 0;
}

std::vector<Box> LauncherSession::Launch(std::vector<int> answers,
                                         std::source_location caller) {
  std::atomic<bool> done{false};
  HWND dialog = dialog_;
  // A sent command returns only when the launcher's handler has finished,
  // while this thread watches for the boxes it shows.
  std::thread press([dialog, &done] {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)),
                          SMTO_NORMAL, 2 * kTimeout, &result);
    done = true;
  });
  std::vector<Box> boxes;
  std::set<HWND> answered;
  const bool ended = WaitUntil(
      [&] {
        while (HWND window = FindBox(answered)) {
          boxes.push_back(ReadBox(window));
          answered.insert(window);
          int answer = IDOK;
          if (!answers.empty()) {
            answer = answers.front();
            answers.erase(answers.begin());
          }
          Answer(window, answer);
        }
        return done.load();
      },
      "the end of the launch", kTimeout, caller);
  // A launch that hangs is ended with its launcher, so the test goes on.
  if (!ended) ::TerminateProcess(process_.hProcess, 98);
  press.join();
  return boxes;
}

void LauncherSession::PressKey(WORD key) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(process_.dwThreadId, &info);
  HWND target = info.hwndFocus ? info.hwndFocus : dialog_;
  ::PostMessageA(target, WM_KEYDOWN, key, 1);
}

void LauncherSession::PostSysCommand(WPARAM command, LPARAM parameter) {
  ::PostMessageA(dialog_, WM_SYSCOMMAND, command, parameter);
}

bool LauncherSession::WaitForMenu(std::source_location caller) {
  return WaitUntil(
      [&] {
        for (HWND window = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); window;
             window = ::FindWindowExA(nullptr, window, "#32768", nullptr)) {
          DWORD process = 0;
          ::GetWindowThreadProcessId(window, &process);
          if (process == process_.dwProcessId && ::IsWindowVisible(window)) return true;
        }
        return false;
      },
      "a menu of the launcher to open", kTimeout, caller);
}

void LauncherSession::TypeKey(WORD key) {
  // Real keyboard input: it goes to the foreground thread, here the
  // launcher's open menu.
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
}

}  // namespace e2e
