#include "tests/support/win32_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace plinor::testing {

namespace {

BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
  if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, const std::string& what, DWORD timeout,
               std::source_location caller) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= deadline) break;
    ::Sleep(20);
  }
  ADD_FAILURE_AT(caller.file_name(), static_cast<int>(caller.line()))
      << "waited " << timeout / 1000 << " s for " << what << "; on screen:\n"
      << WindowsOnScreen();
  return false;
}

std::string WindowText(HWND window) {
  LRESULT length = ::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = ::SendMessageA(window, WM_GETTEXT, text.size(),
                                  reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string WindowsOnScreen() {
  std::vector<HWND> windows;
  ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  std::string text;
  for (HWND window : windows) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char image[MAX_PATH] = "?";
    DWORD size = MAX_PATH;
    if (HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
      if (!::QueryFullProcessImageNameA(handle, 0, image, &size)) image[0] = '\0';
      ::CloseHandle(handle);
    }
    const char* name = std::strrchr(image, '\\');
    HWND owner = ::GetWindow(window, GW_OWNER);
    char line[512];
    std::snprintf(line, sizeof line,
                  "  class \"%s\" caption \"%s\" owner %p%s%s%s process %lu (%s)\n", className,
                  WindowText(window).c_str(), static_cast<void*>(owner), owner ? " \"" : "",
                  owner ? WindowText(owner).c_str() : "", owner ? "\"" : "",
                  static_cast<unsigned long>(process), name ? name + 1 : image);
    text += line;
  }
  return text.empty() ? "  no window\n" : text;
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
