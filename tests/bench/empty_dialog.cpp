// An empty modal dialog: the floor for the launcher's start-up time.
#include <windows.h>

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
  ::DialogBoxParamA(instance, MAKEINTRESOURCEA(100), nullptr, Procedure, 0);
  return 0;
}
