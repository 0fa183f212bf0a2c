// Window classes registered through the framework: one per combination of class style,
// cursor, background brush and icon, all with CWnd::StdWndProc as window procedure.
#pragma once
#include <windows.h>

// Registers the class once per process and returns its name (valid for the process's life).
// Returns null when the registration fails.
LPCSTR RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                        HICON icon = nullptr);
