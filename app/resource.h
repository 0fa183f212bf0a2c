// Resource identifiers of Vacater (app/res/Vacater.rc).
#pragma once

#define IDD_ABOUTBOX        100
#define IDS_ABOUTBOX        101
#define IDD_VACATER_DIALOG  102
#define IDR_MAINFRAME       128
#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif
#define IDC_LIST            1000
#define IDC_ABOUT_VERSION   1001
#define IDC_ABOUT_COPYRIGHT 1002

// System-menu command that opens the About box.
#define IDM_ABOUTBOX        0x0010
