#include "tests/support/win32_helpers.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace plinor::testing {

bool WaitUntil(const std::function<bool()>& done, const std::string& what, DWORD timeout,
               std::source_location caller) {
  if (PollUntil(done, timeout)) return true;
  ADD_FAILURE_AT(caller.file_name(), static_cast<int>(caller.line()))
      << "waited " << timeout / 1000 << " s for " << what << "; on screen:\n"
      << WindowsOnScreen();
  return false;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool wide,
               std::source_location caller) {
  DWORD_PTR result = 0;
  const LRESULT answered =
      wide ? ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kWaitTimeout,
                                   &result)
           : ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitTimeout,
                                   &result);
  if (answered) return static_cast<LRESULT>(result);
  if (::IsWindow(window))
    ADD_FAILURE_AT(caller.file_name(), static_cast<int>(caller.line()))
        << "window " << static_cast<void*>(window) << " did not answer message 0x" << std::hex
        << message << std::dec << " within " << kWaitTimeout / 1000 << " s; on screen:\n"
        << WindowsOnScreen();
  return 0;
}

std::string WindowText(HWND window, std::source_location caller) {
  const LRESULT length = SendTo(window, WM_GETTEXTLENGTH, 0, 0, false, caller);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendTo(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), false, caller);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

namespace {

std::atomic<DWORD> testLimit{kTestLimit};

// Ends a test that runs past its limit, saying what was on screen.
class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  Watchdog() : stop_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    testLimit = kTestLimit;
    ::ResetEvent(stop_);
    thread_ = ::CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    ::SetEvent(stop_);
    if (thread_) {
      ::WaitForSingleObject(thread_, INFINITE);
      ::CloseHandle(thread_);
      thread_ = nullptr;
    }
  }

 private:
  static DWORD WINAPI Watch(void* parameter) {
    auto* self = static_cast<Watchdog*>(parameter);
    const ULONGLONG start = ::GetTickCount64();
    while (::WaitForSingleObject(self->stop_, 250) == WAIT_TIMEOUT)
      if (::GetTickCount64() - start >= testLimit) break;
    if (::WaitForSingleObject(self->stop_, 0) == WAIT_OBJECT_0) return 0;
    std::fprintf(stderr, "%s: still running after %lu s, stopped; on screen:\n%s",
                 self->name_.c_str(), static_cast<unsigned long>(testLimit / 1000),
                 WindowsOnScreen().c_str());
    std::fflush(stderr);
    std::fflush(stdout);
    EndChildren();
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return 0;
  }

  // The programs the test started share its output: the runner would wait
  // for them to end too.
  static void EndChildren() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
      if (entry.th32ParentProcessID != ::GetCurrentProcessId()) continue;
      if (HANDLE child = ::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
        ::TerminateProcess(child, 3);
        ::CloseHandle(child);
      }
    }
    ::CloseHandle(snapshot);
  }

  HANDLE stop_;
  HANDLE thread_ = nullptr;
  std::string name_;
};

}  // namespace

void ThisTestMayTake(DWORD milliseconds) { testLimit = std::min<DWORD>(milliseconds, 90000); }

bool RegisterWatchdog() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  return true;
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<no file>";
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
  ::CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      << path;
  ::CloseHandle(file);
}

void SetRegistryValue(HKEY root, const std::string& key, const char* name, DWORD type,
                      const std::string& bytes) {
  HKEY opened;
  ASSERT_EQ(::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                              nullptr),
            ERROR_SUCCESS)
      << key;
  EXPECT_EQ(::RegSetValueExA(opened, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << key;
  ::RegCloseKey(opened);
}

void SetRegistryString(HKEY root, const std::string& key, const char* name,
                       const std::string& text) {
  SetRegistryValue(root, key, name, REG_SZ, text + std::string(1, '\0'));
}

}  // namespace plinor::testing
