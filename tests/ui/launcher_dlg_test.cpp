// The launcher dialog in the test's own process, where its GDI objects can
// be seen: the banner after many changes of DPI.
#include "ui/launcher_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/texts.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/machine_state.h"
#include "tests/support/win32_helpers.h"
#include "ui/resource.h"

namespace {

// A case that hangs past the runner's patience says so, with the screen.
const bool watchdog = plinor::testing::RegisterWatchdog();
// What a killed run left saved is put back before anything else.
const bool putBack = plinor::testing::PutBackWhatAKilledRunSaved();

// Plinor installed in a folder of the test's own, so that the dialog's
// history is seeded there, not in the working folder or in a real
// installation; the machine's keys are put back at the end.
class OwnInstallation {
 public:
  OwnInstallation() {
    plinor::testing::SaveMachineKeys();
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "plinor-ui\\";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    plinor::testing::SetRegistryString(HKEY_LOCAL_MACHINE, IDS_INSTALL_KEY_TEXT, "Path", folder_);
  }
  ~OwnInstallation() {
    plinor::testing::PutMachineBack();
    ::DeleteFileA((folder_ + "host.cfg").c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }

 private:
  std::string folder_;
};

// The template's static bitmap control, found by its style.
HWND Banner(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) return child;
  return nullptr;
}

HBITMAP Shown(HWND banner) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// Waits for the banner to show another bitmap than `before`.
HBITMAP NextShown(HWND banner, HBITMAP before) {
  HBITMAP now = nullptr;
  plinor::testing::WaitUntil(
      [&] { return (now = Shown(banner)) != nullptr && now != before; },
      "the banner to change");
  return now != before ? now : nullptr;
}

// Twenty moves between screens of 96 and 192 DPI, each announced with
// WM_DPICHANGED and a suggested rectangle, as Windows sends it.
// This process's dialog of that caption: a launcher another program left
// open on the same screen has the same caption.
HWND OwnDialog(const char* caption) {
  for (HWND window = ::FindWindowExA(nullptr, nullptr, "#32770", caption); window;
       window = ::FindWindowExA(nullptr, window, "#32770", caption)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) return window;
  }
  return nullptr;
}

// The width of an icon's colour bitmap.
int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The small-icon width at the window's DPI, as Windows 10 1607 and later
// give it; before, the system's.
int SmallIconWidth(HWND window) {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  const auto forDpi = reinterpret_cast<int(WINAPI*)(int, UINT)>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetSystemMetricsForDpi")));
  const auto dpiFor = reinterpret_cast<UINT(WINAPI*)(HWND)>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
  if (forDpi && dpiFor && dpiFor(window)) return forDpi(SM_CXSMICON, dpiFor(window));
  return ::GetSystemMetrics(SM_CXSMICON);
}

TEST(LauncherDialog, TheBannerAndTheSmallIconAreRedoneAfterEachChangeOfDpiAndNothingIsLeft) {
  OwnInstallation installation;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  plinor::Win32Platform platform(instance);
  CLauncherDlg dialog(instance, platform);

  std::vector<HBITMAP> shown;
  bool fitted = false;
  HICON firstIcon = nullptr;
  HICON lastIcon = nullptr;
  int iconWidthForDpi = -1;
  std::atomic<bool> driven{false};
  std::thread driver([&] {
    HWND window = nullptr;
    if (!plinor::testing::WaitUntil(
            [&] {
              window = OwnDialog("Plinor Launcher");
              return window && ::IsWindowVisible(window);
            },
            "the launcher dialog"))
      return;
    HWND banner = Banner(window);
    firstIcon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    iconWidthForDpi = SmallIconWidth(window);
    HBITMAP current = Shown(banner);
    shown.push_back(current);
    for (int change = 0; change < 20 && current; ++change) {
      const UINT dpi = change % 2 == 0 ? 192 : 96;
      RECT suggested;
      ::GetWindowRect(window, &suggested);
      suggested.right = suggested.left + (suggested.right - suggested.left) * 2;
      ::SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
      current = NextShown(banner, current);
      if (current) shown.push_back(current);
    }
    BITMAP bitmap{};
    RECT area{};
    ::GetClientRect(banner, &area);
    fitted = current && ::GetObjectA(current, sizeof bitmap, &bitmap) &&
             bitmap.bmWidth == area.right && bitmap.bmHeight == area.bottom;
    lastIcon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    driven = true;
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  const INT_PTR result = dialog.DoModal();
  driver.join();
  ASSERT_EQ(result, IDCANCEL) << "needs a display";
  ASSERT_TRUE(driven) << "the dialog did not show";
  ASSERT_EQ(shown.size(), 21u) << "the banner did not change after change " << shown.size();
  EXPECT_TRUE(fitted) << "the last banner does not fit its control";
  // Every bitmap shown before the last has been deleted; GDI object counts
  // cannot be read under Wine, so each handle is asked for its type.
  for (std::size_t i = 0; i + 1 < shown.size(); ++i)
    EXPECT_EQ(::GetObjectType(shown[i]), 0u) << "bitmap " << i << " was left behind";
  // The title bar's icon is the small one at the window's DPI, loaded anew
  // after each change, and the one it replaced is destroyed. The icons are
  // read once the window is gone (the dialog object still owns the last).
  EXPECT_NE(lastIcon, firstIcon);
  EXPECT_EQ(IconWidth(lastIcon), iconWidthForDpi);
  EXPECT_EQ(IconWidth(firstIcon), 0) << "the first small icon was left behind";
}

}  // namespace
