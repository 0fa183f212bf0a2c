#include "CDialog.h"
#include "CWinApp.h"
#include <cassert>

CDialog::CDialog(UINT templateId, CWnd* pParent)
    : m_nIDTemplate(templateId), m_pParentWnd(pParent), m_hParentWnd(nullptr), m_bModal(FALSE),
      m_pfnSystemProc(nullptr), m_pCurrent(nullptr)
{
}

CDialog::CDialog(UINT templateId, HWND hParent)
    : CDialog(templateId, static_cast<CWnd*>(nullptr))
{
    m_hParentWnd = hParent;
}

CDialog::~CDialog()
{
    // A modeless dialog still on screen goes with its object.
    if (m_hWnd && !m_bModal) DestroyWindow();
}

BOOL CDialog::Create(UINT templateId, CWnd* pParent)
{
    if (m_hWnd) return FALSE;
    m_nIDTemplate = templateId;
    m_bModal = FALSE;
    HWND hParent = pParent ? pParent->GetSafeHwnd() : ParentHwnd();
    HWND hWnd = ::CreateDialogParamA(InstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent,
                                     &CDialog::StartProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && m_hWnd == hWnd;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd) return -1;
    m_bModal = TRUE;
    HWND hParent = ParentHwnd();
    INT_PTR result = ::DialogBoxParamA(InstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent,
                                       &CDialog::StartProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return result;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages nest (a handler sends one); each level restores the one it interrupted.
    const Message current = {message, wParam, lParam};
    const Message* outer = m_pCurrent;
    m_pCurrent = &current;
    LRESULT result = DialogProc(message, wParam, lParam);
    m_pCurrent = outer;
    return result;
}

LRESULT CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DialogProcDefault(message, wParam, lParam);
}

LRESULT CDialog::DialogProcDefault(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) { OnOK(); return 0; }
        if (LOWORD(wParam) == IDCANCEL) { OnCancel(); return 0; }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CDialog::Default()
{
    assert(m_pCurrent && "Default() outside DialogProc");
    if (!m_pCurrent) return 0;
    // The system's part of WM_INITDIALOG is calling us; TRUE lets it set the focus.
    if (m_pCurrent->message == WM_INITDIALOG) return TRUE;
    return DefWindowProc(m_pCurrent->message, m_pCurrent->wParam, m_pCurrent->lParam);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSystemProc) return ::CallWindowProcA(m_pfnSystemProc, m_hWnd, message, wParam, lParam);
    return ::DefDlgProcA(m_hWnd, message, wParam, lParam);
}

// The dialog procedure proper sees only WM_INITDIALOG: it binds the window to the object,
// puts SubclassProc in front of the system's dialog procedure and hands the message on. Every
// later message reaches the object through SubclassProc, so the dialog procedure answers
// "not handled".
INT_PTR CALLBACK CDialog::StartProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dlg = reinterpret_cast<CDialog*>(lParam);
    if (!dlg || !dlg->Attach(hWnd)) return TRUE;
    dlg->m_pfnSystemProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDialog::SubclassProc)));
    return dlg->WindowProc(message, wParam, lParam);
}

LRESULT CALLBACK CDialog::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dlg = static_cast<CDialog*>(CWnd::ObjectFromHandle(hWnd));
    if (!dlg) return ::DefDlgProcA(hWnd, message, wParam, lParam);
    WNDPROC super = dlg->m_pfnSystemProc;
    LRESULT result = dlg->Dispatch(message, wParam, lParam);  // may delete dlg after WM_NCDESTROY
    if (message == WM_NCDESTROY && super)
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    return result;
}
