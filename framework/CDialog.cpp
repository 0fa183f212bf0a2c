#include "CDialog.h"
#include "CWinApp.h"

CDialog::CDialog(UINT templateId, CWnd* pParent)
    : m_nIDTemplate(templateId), m_pParentWnd(pParent), m_hParentWnd(nullptr), m_bModal(FALSE),
      m_pfnSystemProc(nullptr), m_curMessage(0), m_curWParam(0), m_curLParam(0)
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
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && m_hWnd == hWnd;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd) return -1;
    m_bModal = TRUE;
    HWND hParent = ParentHwnd();
    INT_PTR result = ::DialogBoxParamA(InstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
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

BOOL CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* pResult)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) { OnOK(); *pResult = 0; return TRUE; }
        if (LOWORD(wParam) == IDCANCEL) { OnCancel(); *pResult = 0; return TRUE; }
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT savedMessage = m_curMessage;
    WPARAM savedWParam = m_curWParam;
    LPARAM savedLParam = m_curLParam;
    m_curMessage = message;
    m_curWParam = wParam;
    m_curLParam = lParam;
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    m_curMessage = savedMessage;
    m_curWParam = savedWParam;
    m_curLParam = savedLParam;
    return result;
}

LRESULT CDialog::Default()
{
    return DefWindowProc(m_curMessage, m_curWParam, m_curLParam);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSystemProc) return ::CallWindowProcA(m_pfnSystemProc, m_hWnd, message, wParam, lParam);
    return ::DefDlgProcA(m_hWnd, message, wParam, lParam);
}

// The dialog procedure proper sees only WM_INITDIALOG: it binds the window to the object
// and puts SubclassProc in front of the system's dialog procedure. Every later message
// reaches the object through SubclassProc, so the dialog procedure answers "not handled".
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dlg = reinterpret_cast<CDialog*>(lParam);
    if (!dlg || !dlg->Attach(hWnd)) return TRUE;
    dlg->m_pfnSystemProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDialog::SubclassProc)));
    dlg->m_curMessage = message;
    dlg->m_curWParam = 0;
    dlg->m_curLParam = lParam;
    return dlg->OnInitDialog();
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
