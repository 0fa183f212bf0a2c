// The About box (template 100), reachable from the removal dialog's system menu.
#pragma once
#include "CDialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
};
