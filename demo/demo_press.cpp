// For the demo without a display: drives the running launcher as a user
// would, one step a call. Each step waits for the state it leads to, up to
// 30 seconds; when that does not come, it says what it waited for, lists
// the windows on screen and exits with 1.
//   demo_press --fill ADDRESS   type the address, tick HTTPS; the dialog drawn
//   demo_press --about          open the About box from the system menu; drawn
//   demo_press --close-about    press the About box's OK; the box closed
//   demo_press --launch         press Launch; the demo browser's window drawn
//   demo_press --close          press Close
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "tests/support/screen.h"
#include "ui/resource.h"

namespace {

constexpr ULONGLONG kDeadline = 30000;
constexpr const char* kDialog = "Plinor Launcher";
constexpr const char* kAbout = "About Plinor Launcher";
constexpr const char* kBrowser = "Demo browser - Plinor launcher page";

// Waits until `found` gives a window (or true); on time-out reports `what`.
HWND WaitFor(const std::function<HWND()>& found, const char* what) {
  HWND window = nullptr;
  if (plinor::testing::PollUntil([&] { return (window = found()) != nullptr; }, kDeadline))
    return window;
  std::fprintf(stderr, "demo_press: waited %llu s for %s; on screen:\n%s", kDeadline / 1000, what,
               plinor::testing::WindowsOnScreen().c_str());
  return nullptr;
}

HWND Shown(const char* caption) {
  HWND window = ::FindWindowA(nullptr, caption);
  return window && ::IsWindowVisible(window) ? window : nullptr;
}

// Has the window's thread paint it now and then go back to its message
// loop, where Wine hands what was drawn to the X server.
bool Drawn(HWND window) {
  DWORD_PTR result = 0;
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int round = 0; round < 2; ++round)
    if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kDeadline, &result))
      return false;
  return true;
}

void Click(HWND window, int id) {
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

int Fill(HWND dialog, const char* address) {
  HWND combo = ::GetDlgItem(dialog, IDC_ADDRESS);
  HWND https = ::GetDlgItem(dialog, IDC_USE_HTTPS);
  ::SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(address));
  ::SendMessageA(https, BM_SETCHECK, BST_CHECKED, 0);
  char text[256] = {};
  ::SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  if (std::strcmp(text, address) != 0 ||
      ::SendMessageA(https, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    std::fprintf(stderr, "demo_press: the address box shows \"%s\" after typing\n", text);
    return 1;
  }
  return Drawn(dialog) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc >= 2 ? argv[1] : "";
  if ((step == "--fill") != (argc == 3) || argc < 2) {
    std::fprintf(stderr,
                 "usage: demo_press --fill ADDRESS | --about | --close-about | --launch | --close\n");
    return 2;
  }
  // The dialog is shown once it has initialised its controls; a text set
  // before that would be replaced by the dialog's own empty one.
  HWND dialog = WaitFor([] { return Shown(kDialog); }, "the launcher's dialog");
  if (!dialog) return 1;

  if (step == "--fill") return Fill(dialog, argv[2]);
  if (step == "--about") {
    ::PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitFor([] { return Shown(kAbout); }, "the About box");
    return about && Drawn(about) ? 0 : 1;
  }
  if (step == "--close-about") {
    HWND about = Shown(kAbout);
    if (!about) {
      std::fprintf(stderr, "demo_press: no About box to close\n");
      return 1;
    }
    Click(about, IDOK);
    return WaitFor([about]() -> HWND { return ::IsWindow(about) ? nullptr : about; },
                   "the About box to close")
               ? 0
               : 1;
  }
  if (step == "--launch") {
    Click(dialog, IDOK);
    HWND browser = WaitFor([] { return Shown(kBrowser); }, "the demo browser's window");
    return browser && Drawn(browser) ? 0 : 1;
  }
  if (step == "--close") {
    Click(dialog, IDCANCEL);
    return 0;
  }
  std::fprintf(stderr, "demo_press: unknown step %s\n", step.c_str());
  return 2;
}
