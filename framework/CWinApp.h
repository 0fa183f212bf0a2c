// The application object: one global instance per program, derived from CWinApp. The
// framework's WinMain calls InitInstance; when it returns TRUE the message loop runs until
// the main window is destroyed. ExitInstance runs in both cases and gives the exit code.
#pragma once
#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's result.
    virtual int Run();
    virtual int ExitInstance();
    // The framework's help command handler (ID_HELP): there is no help file, so it does nothing.
    virtual void OnHelp();

    // Keeps the look of dialog controls current (common controls); idempotent.
    void InitControls();

    HICON LoadIcon(UINT id) const;

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;   // the loop ends when this window is gone

protected:
    int m_exitCode;     // wParam of the WM_QUIT that ended the loop, if any
};

// The program's application object, or null outside its lifetime.
CWinApp* CurrentApp();
HINSTANCE InstanceHandle();
