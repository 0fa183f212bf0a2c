// The framework's application object, dialogs and worker threads, driven as the program
// drives them.
#include "CDialog.h"
#include "CWinApp.h"
#include "CWinThread.h"
#include <gtest/gtest.h>

namespace {

const UINT TEMPLATE = 100;
const UINT WM_PING = WM_APP + 1;

// Answers the first WM_PING to the thread whose id param holds, adding 1000 when the
// framework knew the thread.
UINT EchoThread(LPVOID param)
{
    WPARAM known = CurrentWorkerThread() ? 1000 : 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_PING) {}
    PostThreadMessageA(*static_cast<DWORD*>(param), WM_PING, msg.wParam + known, 0);
    return 0;
}

// Ends itself from a timer set in OnInitDialog: EndDialog when modal, else DestroyWindow.
class TimedDialog : public CDialog {
public:
    TimedDialog(UINT id = TEMPLATE) : CDialog(id) {}
    BOOL OnInitDialog() override
    {
        inits++;
        SetTimer(7, 10);
        return CDialog::OnInitDialog();
    }
    LRESULT DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_INITDIALOG) routedInits++;
        if (message == WM_PING) return 1234;
        if (message != WM_TIMER || wParam != 7) return DialogProcDefault(message, wParam, lParam);
        KillTimer(7);
        if (modal) EndDialog(42);
        else DestroyWindow();
        return 0;
    }
    int inits = 0, routedInits = 0;
    bool modal = false;
};

// Answers WM_GETTEXTLENGTH through Default() after a nested message of its own was handled,
// and offers Default() to a caller outside any message.
class NestingDialog : public CDialog {
public:
    NestingDialog() : CDialog(TEMPLATE) {}
    LRESULT DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PING) return 1234 + Default();   // the system answers 0 for WM_PING
        if (message != WM_GETTEXTLENGTH) return DialogProcDefault(message, wParam, lParam);
        nested = SendMessage(WM_PING);
        return Default();
    }
    LRESULT DefaultOutsideAMessage() { return Default(); }
    LRESULT nested = 0;
};

struct TestApp : CWinApp {
    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override { return exited = true, CWinApp::ExitInstance(); }
    bool exited = false;
};

} // namespace

TEST(WorkerThread, ReceivesAMessagePostedRightAfterItsStart)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);   // our queue exists for the reply
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        DWORD me = GetCurrentThreadId();
        CWinThread* thread = BeginWorkerThread(&EchoThread, &me);
        ASSERT_NE(nullptr, thread);
        DWORD id = thread->m_nThreadID;   // the object may be gone once the thread ends
        HANDLE h = OpenThread(SYNCHRONIZE, FALSE, id);
        ASSERT_TRUE(PostThreadMessageA(id, WM_PING, i, 0));
        BOOL got = FALSE;
        for (int tries = 0; tries < 500 && !(got = PeekMessageA(&msg, nullptr, WM_PING, WM_PING, PM_REMOVE)); ++tries)
            Sleep(10);
        ASSERT_TRUE(got);
        EXPECT_EQ(static_cast<WPARAM>(1000 + i), msg.wParam);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 10000));
        CloseHandle(h);
    }
}

TEST(ResourceDialog, ModelessDialogRunsInitAndItsEndEndsTheApplicationLoop)
{
    TestApp app;
    TimedDialog dlg;
    app.m_pMainWnd = &dlg;
    ASSERT_TRUE(dlg.Create(TEMPLATE));
    EXPECT_EQ(1, dlg.inits);
    EXPECT_EQ(1, dlg.routedInits) << "WM_INITDIALOG takes the one route too";
    EXPECT_FALSE(IsWindowVisible(dlg.GetSafeHwnd()));
    EXPECT_EQ(1234, SendMessageA(dlg.GetSafeHwnd(), WM_PING, 0, 0)) << "messages reach DialogProc";
    app.Run();
    EXPECT_TRUE(app.exited);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(ResourceDialog, ModalDialogReturnsWhatEndDialogGivesOrMinusOneWithoutTemplate)
{
    TimedDialog dlg;
    dlg.modal = true;
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_EQ(1, dlg.inits);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
    TimedDialog missing(999);
    EXPECT_FALSE(missing.Create(999));
    EXPECT_EQ(-1, missing.DoModal());
}

TEST(ResourceDialog, DefaultAnswersForTheMessageBeingHandledAndNothingOutsideOne)
{
    NestingDialog dlg;
    ASSERT_TRUE(dlg.Create(TEMPLATE));
    // The caption "Framework test": the system's answer for WM_GETTEXTLENGTH, not the 0 it
    // gives for the WM_PING handled in between.
    EXPECT_EQ(14, SendMessageA(dlg.GetSafeHwnd(), WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(1234, dlg.nested);
    EXPECT_EQ(0, dlg.DefaultOutsideAMessage());
    dlg.DestroyWindow();
}
