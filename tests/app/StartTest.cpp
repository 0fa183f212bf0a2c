// Starting the program from the token drive, end to end: the relocated copy with its exact
// command line, and the modes that stay in place or only sleep. The relocation's rules (the
// instance limit, the order of the copies, the message boxes) are tested against a fake host.
#include "AppTestSupport.h"

using namespace apptest;

using RelocatedCopy = AppRun;

TEST_F(RelocatedCopy, StartsFromTempWithTheRestartLineAndRecognisesItself)
{
    struct Case {
        std::string temp, args, options, home;   // home: preset, or "" when missing
    } cases[] = {
        {"temp", "/RmDir=oldpkg /CleanUpOnly=0 /VKDriveLetter=V: /Application=AppDeck",
         " /DriveLetter=V /CleanUpOnly=0 /RmDir=oldpkg /VKDriveLetter=V:", ""},
        // A folder with a blank goes on in quotes; the copy's own check decides what its batch removes.
        {"my temp dir", "/RmDir=ignored /RmAbsDir=\"C:\\vactest\\abs dir\" /CleanUpOnly=0 /VKDriveLetter=V:",
         " /DriveLetter=V /CleanUpOnly=0 /RmAbsDir=\"C:\\vactest\\abs dir\" /VKDriveLetter=V:", "C:\\home of test"},
    };
    WriteScenario(SCENARIO_VETO_FOREVER); // keeps the copy busy while it is looked at
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        UseTemp(m_root + "\\" + c.temp);
        if (!c.home.empty()) m_env["HOME"] = c.home;
        int requests = Requests();
        ASSERT_TRUE(WaitForExit(StartFromToken(c.args), 30000));
        DWORD copy = RelocatedInstance();
        ASSERT_NE(0u, copy);
        ExpectPackageCopied(m_package);
        Remote r;
        ASSERT_TRUE(ReadRemote(copy, r));
        const std::string& line = r.commandLine;
        // Wine (unlike Windows) quotes the program path it found before the copy sees it.
        std::string exe = m_temp + "\\Vacater.exe";
        EXPECT_TRUE(line == exe + c.options || line == "\"" + exe + "\"" + c.options) << line;
        // It recognised itself: it runs the hidden dialog and ejects, and starts no copy.
        HWND dialog = WaitForDialog(copy);
        ASSERT_NE(nullptr, dialog);
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_TRUE(WaitUntil([&] { return Requests() > requests; }, 20000));
        EXPECT_EQ(1u, ProcessesNamed("Vacater.exe").size());
        EXPECT_NE(std::string::npos, LogOf(copy).find("REMOVE_EXE : we run from this instance"));
        ASSERT_TRUE(ReadRemote(copy, r));   // again: HOME is set once the copy runs
        EXPECT_EQ(c.home.empty() ? m_temp : c.home, r.Var("HOME")) << "HOME is set only when missing";
        KillProcess(copy);
        m_env.erase("HOME");
    }
}

TEST_F(RelocatedCopy, FromAQuotedDriveRootStartsFromThatDrive)
{
    struct RootCleaner {   // the package in the drive root goes with the test
        ~RootCleaner() { for (const char* n : SHIPPED_FILES) DeleteFileA((std::string("V:\\") + n).c_str()); }
    } cleaner;
    PlacePackage("V:");
    WriteScenario(SCENARIO_VETO_FOREVER);
    DWORD first = 0;
    HANDLE h = Launch("\"V:\\Vacater.exe\" /RmDir=x", "V:\\", m_env, &first);
    ASSERT_TRUE(WaitForExit(h, 30000));
    CloseHandle(h);
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ExpectPackageCopied("V:");
    Remote r;
    ASSERT_TRUE(ReadRemote(copy, r));
    EXPECT_EQ(m_temp + "\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmDir=x /VKDriveLetter=", r.commandLine);
    // The first trace still shows the opening quote.
    EXPECT_NE(std::string::npos, LogOf(first).find("REMOVE_EXE : CurrentPath :  \"V: "));
    KillProcess(copy);
}

using InPlace = AppRun;

TEST_F(InPlace, RemoveOnlyWithCleanUpOnlyRunsHereAndAsksNoDevice)
{
    DWORD pid = 0;
    HANDLE process = StartFromToken("/RemoveOnly=1 /CleanUpOnly=1", &pid);
    EXPECT_NE(nullptr, WaitForDialog(pid)) << "the dialog runs in the started instance";
    ASSERT_TRUE(WaitForExit(process, 30000));
    EXPECT_TRUE(ListDir(m_temp).empty()) << "nothing is copied and no batch is written";
    EXPECT_FALSE(Exists(m_root + "\\journal.txt")) << "the device library was loaded";
    std::string log = LogOf(pid);
    EXPECT_EQ(1u, Occurrences(log, "CRemoveDlg::WorkThread got message WUM_WORKTHREAD_REMOVEVK")) << log;
    EXPECT_EQ(std::string::npos, log.find("try to remove Vaultik"));
}

TEST_F(InPlace, SleepOnlySleepsAndEnds)
{
    for (const char* args : {"/RmDir=x /Sleep=300 /CleanUpOnly=1", "/Sleep=0", "/Sleep=300 /RemoveOnly=1"}) {
        SCOPED_TRACE(args);
        ASSERT_TRUE(WaitForExit(StartFromToken(args), 30000));
        EXPECT_TRUE(ListDir(m_temp).empty());
    }
    EXPECT_FALSE(Exists(m_root + "\\journal.txt"));
}
