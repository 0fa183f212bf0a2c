// A worker thread. BeginWorkerThread returns only once the new thread has a message queue,
// so a thread message posted right after the start reaches it. The thread object deletes
// itself when the thread ends (m_bAutoDelete, the default).
#pragma once
#include <windows.h>

typedef UINT (*WorkerThreadProc)(LPVOID);

class CWinThread {
public:
    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;

    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
    }
    BOOL SetThreadPriority(int priority) const { return ::SetThreadPriority(m_hThread, priority); }
    DWORD ResumeThread() const { return ::ResumeThread(m_hThread); }

    virtual ~CWinThread();

private:
    friend CWinThread* BeginWorkerThread(WorkerThreadProc, LPVOID, int, UINT, DWORD);
    friend void EndWorkerThread(UINT, BOOL);
    CWinThread(WorkerThreadProc proc, LPVOID param);
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    static unsigned __stdcall Entry(void* self);

    WorkerThreadProc m_pfnThreadProc;
    LPVOID m_pThreadParams;
    HANDLE m_hStarted; // set once the new thread has its message queue
};

// Starts proc(param) on a new thread; null when the thread could not be started. With
// CREATE_SUSPENDED the thread starts only at ResumeThread, and then this call returns at
// once (the message queue may not exist yet).
CWinThread* BeginWorkerThread(WorkerThreadProc proc, LPVOID param,
                              int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                              DWORD createFlags = 0);
// Ends the calling framework thread with exitCode; deletes its object when bDelete is set.
void EndWorkerThread(UINT exitCode, BOOL bDelete = TRUE);
// The framework thread object of the calling thread, or null.
CWinThread* CurrentWorkerThread();
