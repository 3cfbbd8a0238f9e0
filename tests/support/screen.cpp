#include "tests/support/screen.h"

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

bool PollUntil(const std::function<bool()>& done, DWORD timeout) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(20);
  }
}

std::string WindowsOnScreen() {
  std::vector<HWND> windows;
  ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  std::string text;
  for (HWND window : windows) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    // GetWindowText reads another process's caption without sending it a
    // message, so a hung window cannot stop the listing.
    char caption[256] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    HWND owner = ::GetWindow(window, GW_OWNER);
    char ownerCaption[256] = {};
    if (owner) ::GetWindowTextA(owner, ownerCaption, sizeof ownerCaption);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char image[MAX_PATH] = "?";
    DWORD size = MAX_PATH;
    if (HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
      if (!::QueryFullProcessImageNameA(handle, 0, image, &size)) image[0] = '\0';
      ::CloseHandle(handle);
    }
    const char* name = std::strrchr(image, '\\');
    char line[768];
    std::snprintf(line, sizeof line,
                  "  class \"%s\" caption \"%s\" owner %p%s%s%s process %lu (%s)%s\n", className,
                  caption, static_cast<void*>(owner), owner ? " \"" : "", ownerCaption,
                  owner ? "\"" : "", static_cast<unsigned long>(process), name ? name + 1 : image,
                  ::IsHungAppWindow(window) ? " not answering" : "");
    text += line;
  }
  return text.empty() ? "  no window\n" : text;
}

}  // namespace plinor::testing
