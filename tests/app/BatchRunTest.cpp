// The clean-up batch as the program writes and starts it, and what it deletes afterwards.
#include "AppTestSupport.h"
#include "CleanUpBatch.h"

using namespace apptest;

namespace {

// The cmd.exe processes whose command line mentions text.
std::vector<DWORD> BatchProcesses(const std::string& text)
{
    std::vector<DWORD> found;
    Remote r;
    for (DWORD pid : ProcessesNamed("cmd.exe"))
        if (ReadRemote(pid, r) && r.commandLine.find(text) != std::string::npos) found.push_back(pid);
    return found;
}

} // namespace

using CleanUpBatchRun = AppRun;

TEST_F(CleanUpBatchRun, DefaultBatchDeletesProgramPackageFolderAndItselfOnly)
{
    std::string absDir = m_root + "\\absdir";
    for (std::string args : {std::string("/RmDir=oldpkg /CleanUpOnly=0"), "/RmAbsDir=\"" + absDir + "\" /CleanUpOnly=1"}) {
        SCOPED_TRACE(args);
        bool relative = args.compare(0, 6, "/RmDir") == 0;
        UseTemp(m_root + (relative ? "\\temp1" : "\\temp2"));
        for (const char* dir : {"\\keepdir", "\\oldpkg\\sub"}) ASSERT_TRUE(MakeDirs(m_temp + dir));
        ASSERT_TRUE(MakeDirs(absDir + "\\inner"));
        for (const std::string& f : {m_temp + "\\keep.txt", m_temp + "\\other.dll", m_temp + "\\Vacater.exe.bak",
                                     m_temp + "\\keepdir\\inner.txt", m_temp + "\\oldpkg\\sub\\file.txt",
                                     m_temp + "\\CleanUp.exe", m_temp + "\\zevdevascii.log", absDir + "\\inner\\x"})
            ASSERT_TRUE(WriteBytes(f, "x"));
        int requests = Requests();
        ASSERT_TRUE(WaitForExit(StartFromToken(args), 30000));
        ASSERT_NE(0u, RelocatedInstance());
        ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
        EXPECT_EQ(relative ? requests + 1 : requests, Requests()) << "clean-up only: no ejection";
        EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\remove.bat") && BatchProcesses(m_temp).empty(); },
                              30000)) << "the batch did not delete itself";
        std::vector<std::string> kept = {"Vacater.exe.bak", "keep.txt", "keepdir", "other.dll"};
        if (!relative) kept.insert(kept.begin() + 3, "oldpkg");
        EXPECT_EQ(kept, ListDir(m_temp));
        EXPECT_TRUE(Exists(m_temp + "\\keepdir\\inner.txt"));
        EXPECT_EQ(relative, Exists(absDir));
    }
    EXPECT_TRUE(Exists(m_package + "\\Vacater.exe")) << "the package on the token drive stays";
    EXPECT_TRUE(Exists(m_package + "\\application.ini"));
}

TEST_F(CleanUpBatchRun, LauncherAndDataSafeBatchesAreWrittenExactlyStartedHiddenAndDelete)
{
    for (std::string app : {"AppDeck", "Tresoria"}) {
        SCOPED_TRACE(app);
        UseTemp(m_root + "\\" + app + "temp");
        PlacePackage(m_temp);
        ASSERT_TRUE(MakeDirs(m_temp + "\\AppDeck"));
        ASSERT_TRUE(WriteBytes(m_temp + "\\AppDeck\\Vacater.exe", "launcher's copy"));
        // Held open without delete sharing, the file keeps the batch in its loop.
        std::string held = m_temp + (app == "AppDeck" ? "\\AppDeck\\Vacater.exe" : "\\Vacater.exe");
        HANDLE hold = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hold);
        ASSERT_TRUE(WaitForExit(Start(m_temp + "\\Vacater.exe", "/Application=" + app + " /CleanUpOnly=1"), 30000));
        EXPECT_EQ(BuildCleanUpBatch(app.c_str(), m_temp.c_str(), m_temp.c_str(), "", "", SystemBatchHost()).text.str(),
                  ReadBytes(m_temp + "\\remove.bat"));
        std::vector<DWORD> batch;
        ASSERT_TRUE(WaitUntil([&] { return !(batch = BatchProcesses(m_temp + "\\remove.bat")).empty(); }, 20000));
        Remote r;
        ASSERT_TRUE(ReadRemote(batch[0], r));
        EXPECT_TRUE(r.windowFlags & STARTF_USESHOWWINDOW);
        EXPECT_EQ(static_cast<DWORD>(SW_HIDE), r.showWindow);
        CloseHandle(hold);
        if (app == "AppDeck") {
            EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\AppDeck"); }, 30000)) << "the launcher's folder stays";
            EXPECT_TRUE(Exists(m_temp + "\\remove.bat")) << "this setting keeps its batch";
        } else {
            EXPECT_TRUE(WaitUntil([&] { return !Exists(held) && !Exists(m_temp + "\\AppDeck\\Vacater.exe"); }, 30000));
            EXPECT_FALSE(Exists(m_temp + "\\application.ini")) << "the start folder is emptied";
        }
    }
}
