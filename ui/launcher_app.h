// The application: shows the launcher dialog and ends when it ends.
#pragma once

#include <windows.h>

class CLauncherApp {
 public:
  // Runs the launcher dialog; the program ends when it returns.
  void InitInstance(HINSTANCE instance);
};
