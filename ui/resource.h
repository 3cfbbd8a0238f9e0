/* Resource identifiers shared by launcher.rc and the C++ code. */
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_LAUNCHER_DIALOG 102
#define IDR_ABOUTICON 128
#define IDR_MAINFRAME 136
#define IDB_BANNER 138
/* The banner for screens of higher DPI: 125, 150, 175 and 200 %. */
#define IDB_BANNER_125 139
#define IDB_BANNER_150 140
#define IDB_BANNER_175 141
#define IDB_BANNER_200 142

#define IDC_ADDRESS 1000
#define IDC_USE_HTTPS 1004

/* The About entry of the system menu. */
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
