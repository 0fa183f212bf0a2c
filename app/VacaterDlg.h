// The removal dialog: a hidden modeless dialog, the program's main window while the token
// is ejected. It starts the worker thread half a second after its creation, asks it to
// eject, retries refusals once a second up to ten times, then stops the worker and
// destroys itself. A log-off stops the worker and runs the clean-up at once.
#pragma once
#include "CDialog.h"
#include "CWinThread.h"
#include "RemoveManager.h"
#include "debug.h"
#include <windows.h>

// Dialog to worker: eject (wParam 0); worker to dialog: the result in wParam.
#define WUM_WORKTHREAD_REMOVEVK (WM_USER + 3000)
// Dialog to worker: end the thread; worker to dialog: acknowledgement.
#define WUM_WORKTHREAD_QUIT (WM_USER + 3001)

#define TIMERID_START 1    // starts the worker
#define TIMERID_RETRY 2    // repeats the request after a refusal
const UINT TIMER_START_ELAPSE = 500;
const UINT TIMER_RETRY_ELAPSE = 1000;

class CRemoveDlg : public CDialog {
public:
    explicit CRemoveDlg(HWND hParent = nullptr);
    ~CRemoveDlg() override;

    BOOL OnInitDialog() override;

    // The worker: waits for requests, ejects, posts the results back; pParam is the dialog.
    static UINT WorkThread(LPVOID pParam);

    CScopeTrace m_scopeFirst{__FILE__, __LINE__};
    CWinThread* m_pWorkThread;
    HANDLE m_hWorkThreadDone;   // the worker's very last act is to signal it
    CRemoveManager m_RemoveManager;
    long m_cleanUpOnly;         // non-zero: report success without ejecting
    unsigned long m_nRetries;
    HICON m_hIcon;
    CScopeTrace m_scopeLast{__FILE__, __LINE__};

protected:
    LRESULT DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);

private:
    void OnWorkerResult(WPARAM result);
    void OnQueryEndSession();
    // Tells the worker to end and waits until it has; the worker object is gone afterwards.
    void StopWorker();
    void Finish();
};
