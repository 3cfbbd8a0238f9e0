#include "ui/launcher_app.h"

#include <commctrl.h>

#include "platform/win32/hardening.h"
#include "platform/win32/win32_platform.h"
#include "ui/launcher_dlg.h"

namespace {

CLauncherApp theApp;

// The dialog's window is known only once it exists.
class LauncherDialog : public CLauncherDlg {
 public:
  LauncherDialog(HINSTANCE instance, plinor::Win32Platform& platform)
      : CLauncherDlg(instance, platform), m_platform(platform) {}

 protected:
  BOOL OnInitDialog() override {
    // The application message box is owned by the dialog.
    m_platform.SetMainWindow(hwnd());
    return CLauncherDlg::OnInitDialog();
  }

 private:
  plinor::Win32Platform& m_platform;
};

}  // namespace

void CLauncherApp::InitInstance(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES |
                                                      ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  plinor::Win32Platform platform(instance);
  LauncherDialog dialog(instance, platform);
  dialog.DoModal();
}

namespace {

// The program's first step, in the earliest constructor (priority 101). The
// loader has loaded the DLLs its imports name (known DLLs, and the common
// controls from the side-by-side store its manifest names) and what they
// import, and the C runtime has started; none of the program's own code
// has run.
__attribute__((constructor(101))) void HardenFirst() { plinor::HardenProcess(); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  theApp.InitInstance(instance);
  return 0;
}
