// A window object: finds itself from its window handle and receives the window's
// messages through the virtual WindowProc. An object that owns itself (m_bAutoDelete, or an
// override of PostNcDestroy) is deleted after its window's last message, WM_NCDESTROY.
#pragma once
#include "CString.h"
#include <windows.h>

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object bound to hWnd, or null when the window is not one of ours.
    static CWnd* ObjectFromHandle(HWND hWnd);

    // Creates the window and binds it to this object before its first message arrives.
    // className must be registered with CWnd::StdWndProc (see RegisterWndClass).
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND hWndParent, HMENU menu, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    // Binds an existing window (for example a dialog on WM_INITDIALOG) to this object.
    BOOL Attach(HWND hWnd);
    HWND Detach();

    BOOL ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    // Centres the window on its owner (or alternateOwner) when that is visible, otherwise
    // on the work area of the monitor it is on; keeps it inside that work area.
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // Every message of the window; the default hands it to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY, with m_hWnd already null: deletes the object when it owns itself.
    virtual void PostNcDestroy();

    // The window procedure of every class registered through the framework.
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Hands one message to WindowProc and does the unbinding after WM_NCDESTROY; window
    // procedures of other kinds (dialogs) can call it too.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL m_bAutoDelete;  // PostNcDestroy deletes the object
};
