// The launcher dialog: the device address, the HTTPS choice, and Launch.
#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/win32/dialog.h"

// Posted to the dialog after WM_DPICHANGED.
inline constexpr UINT WM_DPI_SETTLED = WM_APP + 1;

class CLauncherDlg : public plinor::Dialog {
 public:
  CLauncherDlg(HINSTANCE instance, plinor::Platform& platform,
               HWND parent = nullptr);
  ~CLauncherDlg() override;

 protected:
  void DoDataExchange(plinor::DataExchange& exchange) override;
  std::span<const plinor::MessageEntry> MessageTable() const override;
  BOOL OnInitDialog() override;

  bool OnSysCommand(WPARAM command, LPARAM parameter);
  bool OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnLaunch();
  // The window moved to a screen of another DPI.
  bool OnDpiChanged(WPARAM dpi, LPARAM suggestedRect);
  // Posted by OnDpiChanged: the dialog manager has rescaled the dialog.
  bool OnDpiSettled(WPARAM, LPARAM);

 private:
  plinor::Platform& m_platform;
  HWND m_comboAddress = nullptr;
  std::string m_strAddress;
  int m_bUseHttps = 0;
  HICON m_hIcon;  // the large icon, shared, released with the module
  // The title bar's icon at the small-icon size of the window's DPI.
  HICON m_hSmallIcon = nullptr;
  // The banner drawn for the screen's DPI, when it is not the template's own.
  HBITMAP m_hBanner = nullptr;

  // Gives the title bar the icon at the small-icon size of `dpi` and
  // destroys the one it replaces.
  void ShowSmallIconForDpi(UINT dpi);
  // Shows the banner drawn nearest to `dpi`: at its own size when the dialog
  // opens, fitted to the control's size after a change of DPI.
  void ShowBannerForDpi(UINT dpi, bool fitToControl);
};
