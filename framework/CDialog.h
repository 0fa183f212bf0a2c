// A dialog from a resource template, modeless (Create) or modal (DoModal). The dialog's
// window is bound to the object on WM_INITDIALOG; that message and every later one take one
// route, DialogProc, which a derived dialog overrides and which passes what it does not
// handle on to DialogProcDefault. The system's dialog procedure does the default processing.
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

    // Hands every message to DialogProc and remembers it for Default() meanwhile.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) final;
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
    // The dialog's message map, for WM_INITDIALOG and every later message: handle what the
    // class handles, pass every other message on to DialogProcDefault.
    virtual LRESULT DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The base's map: WM_INITDIALOG calls OnInitDialog, the IDOK and IDCANCEL buttons call
    // OnOK and OnCancel; the rest goes to the system's dialog procedure.
    LRESULT DialogProcDefault(UINT message, WPARAM wParam, LPARAM lParam);
    // The system's processing of the message DialogProc is handling. Valid only while
    // DialogProc runs (asserted); outside it there is no message, and it answers 0.
    LRESULT Default();

    // The parent used when Create or DoModal is given none.
    HWND ParentHwnd() const { return m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : m_hParentWnd; }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    HWND m_hParentWnd;
    BOOL m_bModal;

private:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    static INT_PTR CALLBACK StartProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSystemProc;     // the system's dialog window procedure
    const Message* m_pCurrent;   // the message DialogProc handles; null outside it
};
