// The framework's application object, dialogs and worker threads, driven as the program
// drives them.
#include "CDialog.h"
#include "CWinApp.h"
#include "CWinThread.h"
#include <gtest/gtest.h>
#include <atomic>
#include <vector>

namespace {

const UINT TEMPLATE = 100;
const UINT WM_PING = WM_APP + 1;

struct Echo {
    DWORD replyTo;
    std::atomic<int> received{0};
    std::atomic<bool> knewItself{false};
};

UINT EchoThread(LPVOID param)
{
    Echo* echo = static_cast<Echo*>(param);
    echo->knewItself = AfxGetThread() != nullptr;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_PING) {
            ++echo->received;
            PostThreadMessageA(echo->replyTo, WM_PING, msg.wParam, 0);
            break;
        }
    }
    return 0;
}

class RecordingDialog : public CDialog {
public:
    RecordingDialog() : CDialog(TEMPLATE) {}
    BOOL OnInitDialog() override
    {
        inits++;
        CDialog::OnInitDialog();
        SetTimer(7, 10);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PING) return 1234;
        if (message == WM_TIMER && wParam == 7) {
            KillTimer(7);
            timers++;
            if (endModal) EndDialog(42);
            else DestroyWindow();
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    int inits = 0;
    int timers = 0;
    bool endModal = false;
};

class TestApp : public CWinApp {
public:
    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override
    {
        exited = true;
        return CWinApp::ExitInstance();
    }
    bool exited = false;
};

} // namespace

TEST(WorkerThread, ReceivesAMessagePostedRightAfterItsStart)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    for (int i = 0; i < 100; ++i) {
        Echo echo;
        echo.replyTo = GetCurrentThreadId();
        CWinThread* thread = AfxBeginThread(&EchoThread, &echo);
        ASSERT_NE(nullptr, thread);
        // The thread object may be gone as soon as the thread ends: keep only its id.
        DWORD id = thread->m_nThreadID;
        HANDLE h = OpenThread(SYNCHRONIZE, FALSE, id);
        ASSERT_TRUE(PostThreadMessageA(id, WM_PING, i, 0)) << "run " << i;
        BOOL got = FALSE;
        for (int tries = 0; tries < 500 && !got; ++tries) {
            got = PeekMessageA(&msg, nullptr, WM_PING, WM_PING, PM_REMOVE);
            if (!got) Sleep(10);
        }
        ASSERT_TRUE(got) << "run " << i;
        EXPECT_EQ(static_cast<WPARAM>(i), msg.wParam);
        EXPECT_EQ(1, echo.received.load());
        EXPECT_TRUE(echo.knewItself.load());
        if (h) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 10000));
            CloseHandle(h);
        }
    }
}

TEST(ResourceDialog, ModelessDialogRunsInitAndEndsTheApplicationLoop)
{
    TestApp app;
    RecordingDialog* dlg = new RecordingDialog;
    app.m_pMainWnd = dlg;
    ASSERT_TRUE(dlg->Create(TEMPLATE));
    EXPECT_EQ(1, dlg->inits);
    EXPECT_FALSE(IsWindowVisible(dlg->GetSafeHwnd()));
    EXPECT_EQ(1234, SendMessageA(dlg->GetSafeHwnd(), WM_PING, 0, 0)) << "messages reach WindowProc";
    EXPECT_EQ(&app, AfxGetApp());
    app.Run(); // the timer destroys the dialog, which ends the loop
    EXPECT_TRUE(app.exited);
    EXPECT_EQ(1, dlg->timers);
    EXPECT_EQ(nullptr, dlg->GetSafeHwnd());
    delete dlg;
}

TEST(ResourceDialog, ModalDialogReturnsWhatEndDialogGives)
{
    RecordingDialog dlg;
    dlg.endModal = true;
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_EQ(1, dlg.inits);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(ResourceDialog, MissingTemplateFailsCleanly)
{
    CDialog dlg(999);
    EXPECT_FALSE(dlg.Create(999));
    EXPECT_EQ(-1, dlg.DoModal());
}
