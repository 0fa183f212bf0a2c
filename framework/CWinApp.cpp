#include "CWinApp.h"
#include "CWnd.h"
#include <commctrl.h>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp()
    : m_hInstance(GetModuleHandleA(nullptr)), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL),
      m_pMainWnd(nullptr), m_exitCode(0)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_exitCode; }

void CWinApp::OnHelp() {}

void CWinApp::InitControls()
{
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES };
    InitCommonControlsEx(&icc);
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id));
}

int CWinApp::Run()
{
    MSG msg;
    // A main window that is gone (or never came) ends the loop, as does WM_QUIT.
    while (m_pMainWnd && ::IsWindow(m_pMainWnd->GetSafeHwnd())) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        HWND hMain = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
        if (hMain && ::IsDialogMessageA(hMain, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

CWinApp* CurrentApp() { return g_pApp; }

HINSTANCE InstanceHandle()
{
    return g_pApp ? g_pApp->m_hInstance : GetModuleHandleA(nullptr);
}

// The program's entry: in this object file so that any program with an application object
// links it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = CurrentApp();
    if (!app) return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && ::IsWindow(app->m_pMainWnd->GetSafeHwnd()))
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
