// The removal dialog as the device library and the traces see it: how many ejection
// requests come, when the dialog stops, and what a log-off does.
#include "AppTestSupport.h"

using namespace apptest;

using RemovalDialog = AppRun;

TEST_F(RemovalDialog, RetriesTenTimesAfterRefusalsThenStops)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    DWORD pid = 0;
    ASSERT_TRUE(WaitForExit(StartFromToken("/RemoveOnly=1", &pid), 90000)) << "the dialog did not give up";
    EXPECT_EQ(11, Requests()) << "the first request and ten retries";
    EXPECT_EQ(110, CountExec("pid_40")) << "each request issues the first command too, ten passes";
    std::string log = LogOf(pid);
    size_t at = 0;
    for (int i = 1; i <= 10; ++i) {
        at = log.find("REMOVE_EXE : " + std::to_string(i) + " try to remove Vaultik", at);
        ASSERT_NE(std::string::npos, at) << i << "\n" << log;
    }
    EXPECT_NE(std::string::npos, log.find("REMOVE_EXE : tried 10 times to remove Vaultik - but stop now", at));
    EXPECT_EQ(std::string::npos, log.find("11 try to remove"));
    EXPECT_EQ(1u, Occurrences(log, "starting WorkThread..."));
}

TEST_F(RemovalDialog, RefusalThenSuccessStopsAfterOneRetry)
{
    WriteScenario(SCENARIO_VETO_THEN_EJECTED);
    ASSERT_TRUE(WaitForExit(StartFromToken("/RemoveOnly=1"), 60000));
    EXPECT_EQ(2, Requests());
}

TEST_F(RemovalDialog, LogOffStopsTheWorkerAndRunsTheCleanUp)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    PlacePackage(m_temp); // started as the relocated copy, so it cleans up
    DWORD pid = 0;
    Start(m_temp + "\\Vacater.exe", "", &pid);
    HWND dialog = WaitForDialog(pid);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return Requests() >= 1; }, 20000));

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(dialog, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 20000, &answer));
    EXPECT_EQ(1u, answer) << "Windows may go on";
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\application.ini") && !Exists(m_temp + "\\msvcp60.dll"); },
                          20000)) << "the clean-up's batch did not remove the package";
    int requests = Requests();   // the worker is gone: no request follows the refused one
    Sleep(3000);
    EXPECT_EQ(requests, Requests());

    ASSERT_TRUE(SendMessageTimeoutA(dialog, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 20000, &(answer = 0)));
    EXPECT_EQ(1u, answer);
}
