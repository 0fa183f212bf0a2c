#include "CWinThread.h"
#include <process.h>
#include <new>

namespace {
thread_local CWinThread* t_pThread = nullptr;
}

CWinThread::CWinThread(WorkerThreadProc proc, LPVOID param)
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(proc),
      m_pThreadParams(param), m_hStarted(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CWinThread::~CWinThread()
{
    if (m_hThread) CloseHandle(m_hThread);
    if (m_hStarted) CloseHandle(m_hStarted);
}

unsigned __stdcall CWinThread::Entry(void* self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    t_pThread = thread;
    MSG msg;
    // The first call to a message function gives the thread its queue.
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(thread->m_hStarted);
    UINT code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    EndWorkerThread(code, TRUE);
    return code;
}

CWinThread* BeginWorkerThread(WorkerThreadProc proc, LPVOID param, int priority, UINT stackSize,
                              DWORD createFlags)
{
    if (!proc) return nullptr;
    CWinThread* thread = new (std::nothrow) CWinThread(proc, param);
    if (!thread) return nullptr;
    if (!thread->m_hStarted) {
        delete thread;
        return nullptr;
    }
    unsigned id = 0;
    uintptr_t h = _beginthreadex(nullptr, stackSize, &CWinThread::Entry, thread,
                                 CREATE_SUSPENDED, &id);
    if (!h) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(h);
    thread->m_nThreadID = id;
    ::SetThreadPriority(thread->m_hThread, priority);
    if (createFlags & CREATE_SUSPENDED) return thread;
    // Keep our own view of the start event: a fast thread may delete its object meanwhile.
    HANDLE started = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hStarted, GetCurrentProcess(), &started, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    ::ResumeThread(thread->m_hThread);
    if (started) {
        WaitForSingleObject(started, INFINITE);
        CloseHandle(started);
    }
    return thread;
}

void EndWorkerThread(UINT exitCode, BOOL bDelete)
{
    CWinThread* thread = t_pThread;
    t_pThread = nullptr;
    if (thread && bDelete && thread->m_bAutoDelete) delete thread;
    _endthreadex(exitCode);
}

CWinThread* CurrentWorkerThread() { return t_pThread; }
