#include "Splash.h"
#include "CDC.h"
#include "CPaintDC.h"
#include "CWinApp.h"
#include "SplashPlacement.h"
#include "WndClass.h"
#include "debug.h"

namespace {

const UINT_PTR SPLASH_TIMER = 1;
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Translates and dispatches what is queued now for hWnd (and its children), without waiting.
void PumpWindowMessages(HWND hWnd)
{
    MSG msg;
    while (PeekMessageA(&msg, hWnd, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

BOOL CSplashWnd::c_bShowSplashWnd = FALSE;
CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;
UINT CSplashWnd::c_nDisplayTime = 0;

CSplashWnd::CSplashWnd() : m_hBitmap(nullptr), m_pParent(nullptr) {}

CSplashWnd::~CSplashWnd()
{
    if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplashScreen(BOOL enable)
{
    c_bShowSplashWnd = enable;
}

CSplashWnd* CSplashWnd::ShowSplashScreen(CWnd* pParentWnd, HBITMAP hBitmap, UINT displayTime, DWORD extraStyle)
{
    if (!c_bShowSplashWnd || c_pSplashWnd) {
        if (hBitmap && hBitmap != SPLASH_NO_BITMAP) DeleteObject(hBitmap);
        return nullptr;
    }
    CSplashWnd* pSplash = new CSplashWnd;
    c_pSplashWnd = pSplash;
    c_nDisplayTime = displayTime;
    pSplash->m_hBitmap = hBitmap;
    if (!pSplash->Create(pParentWnd, extraStyle)) {
        // Not attached (no picture): the bitmap is still the caller's handed-over one.
        if (!pSplash->m_bitmap.GetSafeHandle() && hBitmap && hBitmap != SPLASH_NO_BITMAP) DeleteObject(hBitmap);
        delete pSplash;
        return nullptr;
    }
    HWND hWnd = pSplash->m_hWnd;
    // Shown without taking the focus from what the user works in, but above every window.
    pSplash->ShowWindow(SW_SHOWNOACTIVATE);
    pSplash->UpdateWindow();
    PumpWindowMessages(hWnd);
    if (pSplash->m_hWnd)
        ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpWindowMessages(hWnd);
    c_pSplashWnd = nullptr;
    // A very short display time may already have ended the window while its messages ran.
    if (!pSplash->m_hWnd) {
        delete pSplash;
        return nullptr;
    }
    return pSplash;
}

void CSplashWnd::HideSplashScreen(CSplashWnd* pSplash)
{
    if (pSplash) pSplash->HideSplashScreen();
}

void CSplashWnd::SetSplashText(CSplashWnd* pSplash, const char* text)
{
    if (!pSplash) return;
    pSplash->SetWindowText(text);
    // The window takes no focus, so nothing reads it out by itself: tell screen readers that
    // it carries a message (its text).
    ::NotifyWinEvent(EVENT_SYSTEM_ALERT, pSplash->m_hWnd, OBJID_WINDOW, CHILDID_SELF);
    // The caller may block its thread next (the second splash is shown during a sleep):
    // paint the caption bar now and let the system put it on the screen, which some
    // window systems do only while the thread handles messages.
    HWND hWnd = pSplash->m_hWnd;
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpWindowMessages(hWnd);
}

BOOL CSplashWnd::Create(CWnd* pParentWnd, DWORD extraStyle)
{
    if (m_hBitmap == SPLASH_NO_BITMAP) {
        DebugTrace(0, "CSplashWnd::Create no splash\r\n");
        return FALSE;
    }
    // Without a picture there is no size to give the window.
    if (!m_hBitmap) return FALSE;
    m_bitmap.Attach(m_hBitmap);
    BITMAP bm = {};
    if (!m_bitmap.GetBitmap(&bm)) return FALSE;
    if (pParentWnd) m_pParent = pParentWnd;

    LPCSTR className = RegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    if (!className) return FALSE;
    // Created where it is shown, on the monitor the user works on: it never changes monitor
    // (and scale) on its way there. Topmost and never activated; made visible by the caller.
    SIZE size = {bm.bmWidth, bm.bmHeight};
    POINT at = CentredOnWorkArea(size, CursorMonitorWorkArea());
    return CreateEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE, className, nullptr, extraStyle | WS_POPUP, at.x, at.y,
                    bm.bmWidth, bm.bmHeight, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

void CSplashWnd::HideSplashScreen()
{
    BOOL hadOwner = m_pParent != nullptr;
    DestroyWindow();  // deletes this
    if (hadOwner) {
        // The application's main window, when it belongs to this thread.
        CWinApp* pApp = CurrentApp();
        HWND hMain = pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->GetSafeHwnd() : nullptr;
        if (hMain && GetWindowThreadProcessId(hMain, nullptr) == GetCurrentThreadId()) ::UpdateWindow(hMain);
    }
}

LRESULT CSplashWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DPICHANGED:
        // The picture keeps its pixels on a monitor of another scale: no resizing.
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

int CSplashWnd::OnCreate(LPCREATESTRUCT createStruct)
{
    if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(createStruct)) == -1) return -1;
    CenterWindow();
    if (c_nDisplayTime != 0) SetTimer(SPLASH_TIMER, c_nDisplayTime);
    return 0;
}

void CSplashWnd::OnPaint()
{
    CPaintDC dc(this);
    CDC dcImage;
    if (!dcImage.CreateCompatibleDC(&dc)) return;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    HGDIOBJ old = dcImage.SelectObject(&m_bitmap);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &dcImage, 0, 0, SRCCOPY);
    dcImage.SelectObject(old);
}

void CSplashWnd::OnTimer(UINT_PTR id)
{
    KillTimer(id);
    if (id == SPLASH_TIMER) HideSplashScreen();
}

void CSplashWnd::PostNcDestroy()
{
    // While ShowSplashScreen is still creating the window, it owns the object and deletes it.
    if (c_pSplashWnd == this) return;
    delete this;
}
