#include "CWnd.h"

namespace {

// The object whose window this thread is creating: bound on the window's first message,
// which is WM_NCCREATE for pop-ups (WM_GETMINMAXINFO may precede it for overlapped windows).
thread_local CWnd* t_pWndInit = nullptr;

} // namespace

CWnd::CWnd() : m_hWnd(nullptr), m_bAutoDelete(FALSE) {}

CWnd::~CWnd()
{
    // A window that outlives its object must not reach it any more.
    if (m_hWnd) {
        HWND hWnd = Detach();
        if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId()) ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::ObjectFromHandle(HWND hWnd)
{
    if (!hWnd) return nullptr;
    CWnd* p = reinterpret_cast<CWnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    return p && p->m_hWnd == hWnd ? p : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd) return FALSE;
    m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd && GetWindowLongPtrA(hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND hWndParent, HMENU menu, LPVOID param)
{
    if (m_hWnd) return FALSE;
    CWnd* previous = t_pWndInit;
    t_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, hWndParent, menu,
                                  GetModuleHandleA(nullptr), param);
    t_pWndInit = previous;
    // A failed creation may still have bound (and unbound) the object; m_hWnd tells.
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CString CWnd::GetWindowText() const
{
    CString text;
    int n = ::GetWindowTextLengthA(m_hWnd);
    if (n > 0) {
        char* p = text.GetBuffer(n + 1);
        n = ::GetWindowTextA(m_hWnd, p, n + 1);
        text.ReleaseBuffer(n);
    }
    return text;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    HWND hWndCenter = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hWndCenter && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter))) hWndCenter = nullptr;

    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    HMONITOR monitor = MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
    RECT area;
    if (GetMonitorInfoA(monitor, &mi)) area = mi.rcWork;
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);

    RECT center = area;
    if (hWndCenter) ::GetWindowRect(hWndCenter, &center);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = (center.left + center.right) / 2 - w / 2;
    int y = (center.top + center.bottom) / 2 - h / 2;
    if (x + w > area.right) x = area.right - w;
    if (x < area.left) x = area.left;
    if (y + h > area.bottom) y = area.bottom - h;
    if (y < area.top) y = area.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::PostNcDestroy()
{
    if (m_bAutoDelete) delete this;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Detach();
        PostNcDestroy();  // may delete this
    }
    return result;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = ObjectFromHandle(hWnd);
    if (!pWnd && t_pWndInit && !t_pWndInit->m_hWnd) {
        pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        pWnd->Attach(hWnd);
    }
    if (!pWnd) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return pWnd->Dispatch(message, wParam, lParam);
}
