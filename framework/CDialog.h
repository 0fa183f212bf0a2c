// A dialog from a resource template, modeless (Create) or modal (DoModal). The dialog's
// window is bound to the object on WM_INITDIALOG and from then on every message goes
// through WindowProc; the default processing is the system's dialog procedure.
#pragma once
#include "CWnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* pParent = nullptr);
    // A parent that is no framework window (the desktop window, for example).
    CDialog(UINT templateId, HWND hParent);
    ~CDialog() override;

    // Creates the modeless dialog; pParent overrides the parent given at construction.
    BOOL Create(UINT templateId, CWnd* pParent = nullptr);
    // Runs the dialog modally; returns the EndDialog result, or -1 when it cannot be made.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Menu of the window's system menu (null when it has none).
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    HICON SetIcon(HICON icon, BOOL bigIcon)
    {
        return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                                      reinterpret_cast<LPARAM>(icon)));
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

protected:
    // The class's message map: handles the message and returns TRUE with *pResult set, or
    // returns FALSE for the default processing. The base maps IDOK and IDCANCEL.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The default processing of the message being handled.
    LRESULT Default();

    // The parent used when Create or DoModal is given none.
    HWND ParentHwnd() const { return m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : m_hParentWnd; }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    HWND m_hParentWnd;
    BOOL m_bModal;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSystemProc; // the system's dialog window procedure
    UINT m_curMessage;
    WPARAM m_curWParam;
    LPARAM m_curLParam;
};
