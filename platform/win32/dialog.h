// A small modal-dialog framework over plain Win32: a dialog built from a
// template, one static dialog procedure that dispatches to a message table
// and to virtual handlers, and data exchange between members and controls in
// both directions. No exception ever unwinds through user32.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace plinor {

class Dialog;

// Moves values between members and controls; one routine serves both ways.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool saving() const { return saving_; }

  // Attaches a control's window to a member.
  void Control(int id, HWND& control);
  // A control's window text (for a drop-down combo box, its edit text).
  void Text(int id, std::string& value);
  // A check box: 1 ticked, 0 not.
  void Check(int id, int& value);

 private:
  HWND dialog_;
  bool saving_;
};

// One entry of a dialog's message table. For WM_COMMAND the entry matches
// the notification code and control id as well.
struct MessageEntry {
  UINT message;
  WORD notification;
  WORD controlId;
  // Returns what the dialog procedure returns: FALSE lets the dialog manager
  // do its default processing.
  INT_PTR (*handler)(Dialog& dialog, WPARAM wParam, LPARAM lParam);
};

namespace message_table {

template <typename Member>
struct ClassOf;
template <typename C, typename M>
struct ClassOf<M C::*> {
  using type = C;
};

// What each kind of handler returns to the dialog procedure: a command that
// returns nothing was handled (TRUE); a bool says whether the handler did
// all that was needed, FALSE leaving the rest to the dialog manager; a
// handle is the message's result.
template <typename D>
INT_PTR Invoke(D& dialog, void (D::*handler)(), WPARAM, LPARAM) {
  (dialog.*handler)();
  return TRUE;
}
template <typename D>
INT_PTR Invoke(D& dialog, bool (D::*handler)(), WPARAM, LPARAM) {
  return (dialog.*handler)() ? TRUE : FALSE;
}
template <typename D>
INT_PTR Invoke(D& dialog, bool (D::*handler)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam) {
  return (dialog.*handler)(wParam, lParam) ? TRUE : FALSE;
}
template <typename D, typename Handle>
INT_PTR Invoke(D& dialog, Handle* (D::*handler)(), WPARAM, LPARAM) {
  return reinterpret_cast<INT_PTR>((dialog.*handler)());
}

template <auto Handler>
INT_PTR Call(Dialog& dialog, WPARAM wParam, LPARAM lParam) {
  using D = typename ClassOf<decltype(Handler)>::type;
  return Invoke(static_cast<D&>(dialog), Handler, wParam, lParam);
}

}  // namespace message_table

// A message table entry that calls a member of the dialog's class:
//   OnMessage<&CMyDlg::OnPaint>(WM_PAINT)
//   OnCommand<&CMyDlg::OnLaunch>(BN_CLICKED, IDOK)
template <auto Handler>
constexpr MessageEntry OnMessage(UINT message) {
  return {message, 0, 0, &message_table::Call<Handler>};
}
template <auto Handler>
constexpr MessageEntry OnCommand(WORD notification, WORD controlId) {
  return {WM_COMMAND, notification, controlId, &message_table::Call<Handler>};
}

class Dialog {
 public:
  Dialog(HINSTANCE instance, int templateId, HWND parent)
      : instance_(instance), templateId_(templateId), parent_(parent) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until it ends; its result, or -1 when it could not be
  // created.
  INT_PTR DoModal();
  HWND hwnd() const { return window_; }
  HINSTANCE instance() const { return instance_; }

 protected:
  // Controls to members when saving, members to controls when not.
  bool UpdateData(bool saving);
  void EndDialog(INT_PTR result) { ::EndDialog(window_, result); }

  virtual void DoDataExchange(DataExchange&) {}
  virtual std::span<const MessageEntry> MessageTable() const { return {}; }
  // Default: moves the members into the controls; TRUE puts the focus on the
  // first tab stop.
  virtual BOOL OnInitDialog();
  // Default OK: takes the controls' values and ends the dialog with IDOK.
  virtual void OnOK();
  // Default Cancel (Close, Escape, the window's Close command): ends the
  // dialog with IDCANCEL without taking any value.
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  int templateId_;
  HWND parent_;
  HWND window_ = nullptr;
};

}  // namespace plinor
