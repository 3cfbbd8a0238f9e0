// The application: shows the launcher dialog and ends when it ends.
#pragma once

#include <windows.h>

class CLauncherApp {
 public:
  // Always false: the program ends when the dialog has ended.
  bool InitInstance(HINSTANCE instance);
};
