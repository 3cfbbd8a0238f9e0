#include "ui/about_dlg.h"

#include "ui/resource.h"

CAboutDlg::CAboutDlg(HINSTANCE instance, HWND parent)
    : plinor::Dialog(instance, IDD_ABOUTBOX, parent) {}
