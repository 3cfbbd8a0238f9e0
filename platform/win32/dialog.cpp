#include "platform/win32/dialog.h"

#include <vector>

namespace plinor {

void DataExchange::Control(int id, HWND& control) {
  control = ::GetDlgItem(dialog_, id);
}

void DataExchange::Text(int id, std::string& value) {
  HWND control = ::GetDlgItem(dialog_, id);
  if (!saving_) {
    ::SetWindowTextA(control, value.c_str());
    return;
  }
  int length = ::GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  int copied = ::GetWindowTextA(control, buffer.data(), length + 1);
  value.assign(buffer.data(), copied > 0 ? copied : 0);
}

void DataExchange::Check(int id, int& value) {
  if (saving_)
    value = ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? 1 : 0;
  else
    ::CheckDlgButton(dialog_, id, value == 1 ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR Dialog::DoModal() {
  return ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId_), parent_,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::UpdateData(bool saving) {
  DataExchange exchange(window_, saving);
  DoDataExchange(exchange);
  return true;
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->window_ = window;
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  }
  // Messages sent before WM_INITDIALOG (WM_SETFONT) have no dialog object.
  if (!self) return FALSE;
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();

  for (const MessageEntry& entry : MessageTable()) {
    if (entry.message != message) continue;
    if (message == WM_COMMAND && (entry.notification != HIWORD(wParam) ||
                                  entry.controlId != LOWORD(wParam)))
      continue;
    return entry.handler(*this, wParam, lParam);
  }

  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDOK: OnOK(); return TRUE;
      case IDCANCEL: OnCancel(); return TRUE;
    }
  }
  return FALSE;
}

}  // namespace plinor
