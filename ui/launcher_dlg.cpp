#include "ui/launcher_dlg.h"

#include <algorithm>
#include <vector>

#include "core/address_history.h"
#include "core/launch.h"
#include "core/texts.h"
#include "platform/win32/sorted_combo.h"
#include "ui/about_dlg.h"
#include "ui/resource.h"

namespace {

// The history's addresses go into the combo box's sorted list.
class ComboList : public plinor::AddressList {
 public:
  explicit ComboList(HWND combo) : combo_(combo) {}
  void AddString(const std::string& text) override {
    ::SendMessageA(combo_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
  }

 private:
  HWND combo_;
};

// Collects the history's addresses, to fill the list in one go.
class CollectedList : public plinor::AddressList {
 public:
  void AddString(const std::string& text) override { strings.push_back(text); }
  std::vector<std::string> strings;
};

// Keeps a window from redrawing while it changes, and redraws it after.
class RedrawOff {
 public:
  explicit RedrawOff(HWND window) : window_(window) {
    ::SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawOff() {
    ::SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  HWND window_;
};

// A function of user32 that older Windows lacks, or null.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

// The DPI of the screen a window is on. GetDpiForWindow exists from
// Windows 10 version 1607 on; before, every screen has the system's DPI.
UINT DpiForWindow(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// A system metric at a DPI. GetSystemMetricsForDpi exists from Windows 10
// version 1607 on; before, the window's DPI is the system's, for which
// GetSystemMetrics answers.
int MetricForDpi(int metric, UINT dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi) {
    if (const int value = forDpi(metric, dpi)) return value;
  }
  return ::GetSystemMetrics(metric);
}

// The banner drawn nearest to the DPI: 100 % (the template's bitmap 138),
// 125, 150, 175 or 200 %.
int BannerForDpi(UINT dpi) {
  const int banners[] = {IDB_BANNER, IDB_BANNER_125, IDB_BANNER_150, IDB_BANNER_175,
                         IDB_BANNER_200};
  const int step = (static_cast<int>(dpi) * 100 / USER_DEFAULT_SCREEN_DPI - 100 + 12) / 25;
  return banners[std::clamp(step, 0, 4)];
}

// The template's static bitmap control, the banner. It has no id of its
// own, so it is found by its style.
HWND BannerControl(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    char name[16] = {};
    ::GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 &&
        (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
      return child;
  }
  return nullptr;
}

}  // namespace

CLauncherDlg::CLauncherDlg(HINSTANCE instance, plinor::Platform& platform,
                           HWND parent)
    : plinor::Dialog(instance, IDD_LAUNCHER_DIALOG, parent),
      m_platform(platform),
      m_hIcon(::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CLauncherDlg::~CLauncherDlg() {
  if (m_hBanner) ::DeleteObject(m_hBanner);
  if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
}

void CLauncherDlg::DoDataExchange(plinor::DataExchange& exchange) {
  exchange.Control(IDC_ADDRESS, m_comboAddress);
  exchange.Text(IDC_ADDRESS, m_strAddress);
  exchange.Check(IDC_USE_HTTPS, m_bUseHttps);
}

std::span<const plinor::MessageEntry> CLauncherDlg::MessageTable() const {
  static const plinor::MessageEntry table[] = {
      plinor::OnMessage<&CLauncherDlg::OnSysCommand>(WM_SYSCOMMAND),
      plinor::OnMessage<&CLauncherDlg::OnPaint>(WM_PAINT),
      plinor::OnMessage<&CLauncherDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
      plinor::OnCommand<&CLauncherDlg::OnLaunch>(BN_CLICKED, IDOK),
      plinor::OnMessage<&CLauncherDlg::OnDpiChanged>(WM_DPICHANGED),
      plinor::OnMessage<&CLauncherDlg::OnDpiSettled>(WM_DPI_SETTLED),
  };
  return table;
}

BOOL CLauncherDlg::OnInitDialog() {
  plinor::Dialog::OnInitDialog();

  if (HMENU menu = ::GetSystemMenu(hwnd(), FALSE)) {
    const std::string about = m_platform.LoadStringA(IDS_ABOUTBOX);
    if (!about.empty()) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
  }

  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  ShowSmallIconForDpi(DpiForWindow(hwnd()));
  // The template's banner is drawn for 96 DPI.
  if (const UINT dpi = DpiForWindow(hwnd()); dpi != USER_DEFAULT_SCREEN_DPI)
    ShowBannerForDpi(dpi, false);

  {
    // A long history fills the sorted list much faster in one go and
    // without a redraw for every entry.
    CollectedList history;
    plinor::LoadAddressHistory(m_platform, history);
    RedrawOff quiet(m_comboAddress);
    // A box that cannot hold the history (out of memory) stays empty; the
    // file is untouched and the next start lists it again.
    plinor::AddStringsSorted(m_comboAddress, history.strings);
  }
  return TRUE;
}

bool CLauncherDlg::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;  // the system's own
  CAboutDlg about(instance(), hwnd());
  about.DoModal();
  return true;
}

bool CLauncherDlg::OnPaint() {
  if (!::IsIconic(hwnd())) return false;  // the dialog manager paints
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd(), &paint);
  ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = ::GetSystemMetrics(SM_CXICON);
  const int iconHeight = ::GetSystemMetrics(SM_CYICON);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  ::DrawIcon(dc, x, y, m_hIcon);
  ::EndPaint(hwnd(), &paint);
  return true;
}

HCURSOR CLauncherDlg::OnQueryDragIcon() { return m_hIcon; }

bool CLauncherDlg::OnDpiChanged(WPARAM, LPARAM) {
  // The dialog manager rescales the dialog and its controls only after this
  // returns (per-monitor v2); the banner is fitted once that has happened.
  ::PostMessageA(hwnd(), WM_DPI_SETTLED, 0, 0);
  return false;
}

bool CLauncherDlg::OnDpiSettled(WPARAM, LPARAM) {
  const UINT dpi = DpiForWindow(hwnd());
  ShowSmallIconForDpi(dpi);
  ShowBannerForDpi(dpi, true);
  return true;
}

void CLauncherDlg::ShowSmallIconForDpi(UINT dpi) {
  // Not shared: a shared load hands back the first cached icon of the same
  // name, whatever its size (the large one, say).
  HICON icon = static_cast<HICON>(::LoadImageA(
      instance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, MetricForDpi(SM_CXSMICON, dpi),
      MetricForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR));
  if (!icon) return;
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
  m_hSmallIcon = icon;
}

void CLauncherDlg::ShowBannerForDpi(UINT dpi, bool fitToControl) {
  HWND banner = BannerControl(hwnd());
  if (!banner) return;
  RECT area{};
  if (fitToControl) ::GetClientRect(banner, &area);
  HBITMAP image = static_cast<HBITMAP>(::LoadImageA(instance(), MAKEINTRESOURCEA(BannerForDpi(dpi)),
                                                    IMAGE_BITMAP, area.right, area.bottom,
                                                    LR_DEFAULTCOLOR));
  if (!image) return;
  // The control hands back what it showed: the template's bitmap, ours, or
  // a copy it made of ours. Whatever it was, nothing shows it any more.
  HBITMAP shown = reinterpret_cast<HBITMAP>(
      ::SendMessageA(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
  if (shown && shown != m_hBanner) ::DeleteObject(shown);
  if (m_hBanner) ::DeleteObject(m_hBanner);
  m_hBanner = image;
}

void CLauncherDlg::OnLaunch() {
  UpdateData(true);
  ComboList list(m_comboAddress);
  plinor::RunLaunch(m_platform, m_strAddress, m_bUseHttps, list);
}
