// The removal dialog as the device library sees it: how many ejection requests come, when
// the dialog stops, and what a log-off does.
#include "AppFixture.h"

using namespace apptest;

using RemovalDialog = AppRun;

TEST_F(RemovalDialog, RetriesTenTimesAfterRefusalsThenStops)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    HANDLE process = StartFromToken("/RemoveOnly=1");
    ASSERT_TRUE(WaitForExit(process, 90000)) << "the dialog did not give up";
    std::vector<std::string> journal = Journal();
    EXPECT_EQ(11, CountExec(journal, "pid_41")) << "the first request and ten retries";
    // Each request issues the first command too; it finds nothing in ten passes.
    EXPECT_EQ(110, CountExec(journal, "pid_40"));
    EXPECT_TRUE(ListDir(m_temp).empty());
}

TEST_F(RemovalDialog, RefusalThenSuccessStopsAfterOneRetry)
{
    WriteScenario(SCENARIO_VETO_THEN_EJECTED);
    HANDLE process = StartFromToken("/RemoveOnly=1");
    ASSERT_TRUE(WaitForExit(process, 60000));
    EXPECT_EQ(2, Requests());
}

TEST_F(RemovalDialog, SuccessAtOnceMakesOneRequest)
{
    HANDLE process = StartFromToken("/RemoveOnly=1");
    ASSERT_TRUE(WaitForExit(process, 60000));
    std::vector<std::string> journal = Journal();
    EXPECT_EQ(1, CountExec(journal, "pid_41"));
    // Commands in order: the first pattern, then the second.
    size_t first = 0, second = 0;
    for (size_t i = 0; i < journal.size(); ++i) {
        if (!first && journal[i].find("ZDAPI_ZevDevExec") == 0 && journal[i].find("pid_40") != std::string::npos)
            first = i + 1;
        if (!second && journal[i].find("ZDAPI_ZevDevExec") == 0 && journal[i].find("pid_41") != std::string::npos)
            second = i + 1;
    }
    EXPECT_TRUE(first && second && first < second);
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
    // The clean-up ran from the dialog: its batch removes the package's files.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\application.ini"); }, 20000));
    EXPECT_FALSE(Exists(m_temp + "\\msvcp60.dll"));

    // The worker is gone: no request follows, although the last one was refused.
    int requests = Requests();
    WaitUntil([] { return false; }, 3000);
    EXPECT_EQ(requests, Requests());

    answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(dialog, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 20000, &answer));
    EXPECT_EQ(1u, answer);
}
