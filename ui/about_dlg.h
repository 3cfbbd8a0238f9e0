// The About box: the launcher's name and version, from the system menu.
#pragma once

#include "platform/win32/dialog.h"

class CAboutDlg : public plinor::Dialog {
 public:
  CAboutDlg(HINSTANCE instance, HWND parent);
};
