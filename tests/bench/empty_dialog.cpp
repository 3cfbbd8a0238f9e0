// The launcher's dialog with no logic: the floor for its start-up time.
#include <windows.h>

#include "ui/resource.h"

namespace {

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LAUNCHER_DIALOG), nullptr, Procedure, 0);
  return 0;
}
