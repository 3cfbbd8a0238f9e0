// For the demo without a display: types an address into the running
// launcher, ticks HTTPS and presses Launch, as a user would.
//   demo_press --fill ADDRESS   type the address and tick HTTPS
//   demo_press --launch         press Launch
//   demo_press --close          press Close
//   demo_press --about          open the About box from the system menu
//   demo_press --close-about    press the About box's OK
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ui/resource.h"

int main(int argc, char** argv) {
  const bool fill = argc == 3 && std::strcmp(argv[1], "--fill") == 0;
  if (!fill && argc != 2) {
    std::fprintf(stderr,
                 "usage: demo_press --fill ADDRESS | --launch | --close | --about | --close-about\n");
    return 2;
  }
  // The dialog is shown once it has initialised its controls; a text set
  // before that would be replaced by the dialog's own empty one.
  HWND dialog = nullptr;
  for (int i = 0; i < 300 && !dialog; ++i) {
    dialog = ::FindWindowA("#32770", "Plinor Launcher");
    if (dialog && !::IsWindowVisible(dialog)) dialog = nullptr;
    if (!dialog) ::Sleep(100);
  }
  if (!dialog) {
    std::fprintf(stderr, "demo_press: the launcher's dialog did not appear\n");
    return 1;
  }
  if (std::strcmp(argv[1], "--about") == 0) {
    ::PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    return 0;
  }
  if (std::strcmp(argv[1], "--close-about") == 0) {
    HWND about = ::FindWindowA("#32770", "About Plinor Launcher");
    if (!about) return 1;
    ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
  }
  if (std::strcmp(argv[1], "--close") == 0) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (fill) {
    ::SendMessageA(::GetDlgItem(dialog, IDC_ADDRESS), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(argv[2]));
    ::SendMessageA(::GetDlgItem(dialog, IDC_USE_HTTPS), BM_SETCHECK, BST_CHECKED, 0);
    char text[256] = {};
    ::SendMessageA(::GetDlgItem(dialog, IDC_ADDRESS), WM_GETTEXT, sizeof text,
                   reinterpret_cast<LPARAM>(text));
    if (std::strcmp(text, argv[2]) != 0 ||
        ::SendMessageA(::GetDlgItem(dialog, IDC_USE_HTTPS), BM_GETCHECK, 0, 0) != BST_CHECKED) {
      std::fprintf(stderr, "demo_press: the address box shows \"%s\" after typing\n", text);
      return 1;
    }
    return 0;
  }
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
  return 0;
}
