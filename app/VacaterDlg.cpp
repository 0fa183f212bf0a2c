#include "VacaterDlg.h"
#include "AboutDlg.h"
#include "CPaintDC.h"
#include "CWinApp.h"
#include "RetryDecision.h"
#include "Vacater.h"
#include "resource.h"

CRemoveDlg::CRemoveDlg(HWND hParent)
    : CDialog(IDD_VACATER_DIALOG, hParent), m_pWorkThread(nullptr), m_hWorkThreadDone(nullptr),
      m_cleanUpOnly(0), m_nRetries(0), m_hIcon(nullptr)
{
    CScopeTrace scope(__FILE__, __LINE__);
    m_hIcon = ::LoadIconA(InstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_cleanUpOnly = 0;
    m_hWorkThreadDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_pWorkThread = nullptr;
    m_nRetries = 0;
}

CRemoveDlg::~CRemoveDlg()
{
    CScopeTrace scope(__FILE__, __LINE__);
    if (m_hWorkThreadDone) CloseHandle(m_hWorkThreadDone);
}

BOOL CRemoveDlg::OnInitDialog()
{
    DebugTrace(0, " --> OnInitDialog() ");
    CDialog::OnInitDialog();

    HMENU sysMenu = GetSystemMenu(FALSE);
    char about[256] = "";
    if (sysMenu && LoadStringA(InstanceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0) {
        AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetTimer(TIMERID_START, TIMER_START_ELAPSE);
    DebugTrace(0, " <-- OnInitDialog() ");
    return TRUE;
}

LRESULT CRemoveDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_ENDSESSION: return 1;
    // These two go on to the default processing as well.
    case WUM_WORKTHREAD_REMOVEVK: OnWorkerResult(wParam); break;
    case WM_QUERYENDSESSION: OnQueryEndSession(); break;
    default: break;
    }
    // A dialog that has just destroyed itself has no default processing left.
    if (!m_hWnd) return 0;
    return DialogProcDefault(message, wParam, lParam);
}

void CRemoveDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    } else {
        Default();
    }
}

void CRemoveDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CRemoveDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CRemoveDlg::OnTimer(UINT_PTR nIDEvent)
{
    DebugTrace(0, " --> OnTimer() ");
    KillTimer(nIDEvent); // every timer fires once
    if (nIDEvent == TIMERID_START) {
        DebugTrace(0, "starting WorkThread...\n");
        if (m_hWorkThreadDone) CloseHandle(m_hWorkThreadDone);
        m_hWorkThreadDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        m_pWorkThread = BeginWorkerThread(&CRemoveDlg::WorkThread, this, THREAD_PRIORITY_NORMAL, 0, 0);
        if (m_pWorkThread) {
            m_pWorkThread->PostThreadMessage(WUM_WORKTHREAD_REMOVEVK, 0, 0);
        } else {
            // Nothing would ever end the dialog: give up on the ejection, let the clean-up run.
            DebugTrace(0, "REMOVE_EXE : could not start WorkThread, error %lu\r\n", GetLastError());
            DebugTrace(0, " <-- OnTimer() ");
            Finish();
            return;
        }
    } else if (nIDEvent == TIMERID_RETRY) {
        if (m_pWorkThread) {
            DebugTrace(0, "OnTimer() for TIMERID_RETRY: PostThreadMessage(WUM_WORKTHREAD_REMOVEVK\r\n");
            m_pWorkThread->PostThreadMessage(WUM_WORKTHREAD_REMOVEVK, 0, 0);
        }
    }
    DebugTrace(0, " <-- OnTimer() ");
    Default();
}

void CRemoveDlg::OnWorkerResult(WPARAM result)
{
    switch (DecideOnResult(result, m_nRetries)) {
    case RETRY_AGAIN:
        ++m_nRetries;
        SetTimer(TIMERID_RETRY, TIMER_RETRY_ELAPSE);
        DebugTrace(0, "REMOVE_EXE : %ld try to remove Vaultik\r\n", static_cast<long>(m_nRetries));
        break;
    case RETRY_GIVE_UP:
        DebugTrace(0, "REMOVE_EXE : tried %ld times to remove Vaultik - but stop now\r\n",
                   static_cast<long>(m_nRetries));
        Finish();
        break;
    case RETRY_FINISH:
        Finish();
        break;
    case RETRY_IGNORE:
        break;
    }
}

void CRemoveDlg::OnQueryEndSession()
{
    StopWorker();
    CWinApp* app = CurrentApp();
    if (app) static_cast<CRemoveApp*>(app)->CleanUp(FALSE);
    else DebugTrace(0, "REMOVE_EXE : app == NULL , Did not call CleanUP() !! : \r\n");
}

void CRemoveDlg::StopWorker()
{
    if (!m_pWorkThread) return;
    m_pWorkThread->PostThreadMessage(WUM_WORKTHREAD_QUIT, 0, 0);
    WaitForSingleObject(m_hWorkThreadDone, INFINITE);
    m_pWorkThread = nullptr; // it has deleted itself
}

void CRemoveDlg::Finish()
{
    if (m_pWorkThread) {
        StopWorker();
        CloseHandle(m_hWorkThreadDone);
        m_hWorkThreadDone = nullptr;
    }
    DestroyWindow();
}

UINT CRemoveDlg::WorkThread(LPVOID pParam)
{
    CRemoveDlg* dlg = static_cast<CRemoveDlg*>(pParam);
    HWND hDlg = dlg->m_hWnd;
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break; // WM_QUIT (or a broken queue): end without a word
        if (msg.message == WUM_WORKTHREAD_REMOVEVK) {
            DebugTrace(0, "CRemoveDlg::WorkThread got message WUM_WORKTHREAD_REMOVEVK\r\n");
            if (msg.wParam == 0) {
                EjectResult result = dlg->m_cleanUpOnly ? EJECT_RESULT_DONE : dlg->m_RemoveManager.EjectVaultik();
                ::PostMessageA(hDlg, WUM_WORKTHREAD_REMOVEVK, EjectResultParam(result), 0);
            }
        } else if (msg.message == WUM_WORKTHREAD_QUIT) {
            ::PostMessageA(hDlg, WUM_WORKTHREAD_QUIT, 0, 0);
            break;
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    SetEvent(dlg->m_hWorkThreadDone);
    EndWorkerThread(0, TRUE);
    return 0;
}
