// The clean-up batch as the program writes and starts it, and what it deletes afterwards.
#include "AppTestSupport.h"
#include "BatchWord.h"
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

// A temporary directory that cmd would misread if the batch named it as it is: split at a
// blank, cut at '&', or an umlaut read in the wrong code page. Each setting deletes what it
// deletes inside it, and nothing in the folders a misread would name.
TEST_F(CleanUpBatchRun, ATempDirCmdWouldMisreadLosesNothingOutsideIt)
{
    const std::string sibling = m_root + "\\Temp";   // what "...\Temp Dir" and "...\Temp&Co" begin with
    for (std::string name : {"Temp Dir", "Temp&Co", "J\xfcrgen\\Temp"}) {
        for (std::string app : {"", "AppDeck", "Tresoria"}) {
            SCOPED_TRACE(name + " " + app);
            RemoveTree(m_root + "\\" + name);
            UseTemp(m_root + "\\" + name);
            const std::vector<std::string> sentinels = {sibling + "\\sentinel.txt", sibling + "\\sub\\sentinel.txt",
                                                        m_temp + "\\..\\sentinel.txt", m_root + "\\Dir\\sentinel.txt"};
            for (const std::string& f : sentinels)
                ASSERT_TRUE(MakeDirs(f.substr(0, f.find_last_of('\\'))) && WriteBytes(f, "sentinel")) << f;
            if (app.empty()) {
                ASSERT_TRUE(WaitForExit(StartFromToken("/CleanUpOnly=1"), 30000));
                ASSERT_NE(0u, RelocatedInstance());
                ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
                EXPECT_TRUE(WaitUntil([&] { return ListDir(m_temp).empty(); }, 30000))
                    << "left in the temporary directory: " << ::testing::PrintToString(ListDir(m_temp));
            } else {
                PlacePackage(m_temp);
                // The launcher's folder, with the file that makes the batch delete it all.
                for (const char* f : {"\\AppDeck\\Vacater.exe", "\\AppDeck\\AppDeck\\AppDeck.ini", "\\AppDeck\\sub\\x.txt"})
                    ASSERT_TRUE(MakeDirs((m_temp + f).substr(0, (m_temp + f).find_last_of('\\'))) &&
                                WriteBytes(m_temp + f, "launcher"));
                // A path of ours without a form cmd reads as one word (Wine gives "Temp&Co" no
                // other short name, '&' being valid in one) loses its lines: nothing goes.
                std::string path = app == "AppDeck" ? m_temp + "\\AppDeck" : m_temp;
                BatchWord word = BatchWordFor(path.c_str(), BATCH_WORD_PLAIN, SystemBatchHost());
                const bool usable = static_cast<bool>(word);
                DWORD pid = 0;
                ASSERT_TRUE(WaitForExit(Start(m_temp + "\\Vacater.exe", "/Application=" + app + " /CleanUpOnly=1", &pid), 30000));
                // Done: what the batch deletes is gone, or (lines left out) the batch has ended.
                std::function<bool()> deleted = [&] { return !Exists(m_temp + "\\AppDeck"); };
                if (app == "Tresoria") deleted = [&] { return ListDir(m_temp) == std::vector<std::string>({"AppDeck"}); };
                if (usable) {
                    EXPECT_TRUE(WaitUntil(deleted, 30000)) << "written as " << word.Text().str() << ", left: "
                                                           << ::testing::PrintToString(ListDir(m_temp));
                } else {
                    EXPECT_TRUE(WaitUntil([] { return BatchProcesses("remove.bat").empty(); }, 30000));
                    EXPECT_FALSE(deleted());
                }
                if (app == "Tresoria") {
                    EXPECT_EQ(usable, ListDir(m_temp + "\\AppDeck\\sub").empty()) << "del /S reaches the subfolders";
                    // Wine's cmd spins once "del /F /S /Q" has deleted the running batch.
                    for (DWORD batch : BatchProcesses("remove.bat")) KillProcess(batch);
                }
                std::string note = std::string("REMOVE_EXE : ") + (app == "AppDeck" ? "the delete path [" : "the start folder [");
                EXPECT_EQ(usable ? 0u : 1u, Occurrences(LogOf(pid), note + path + "] ")) << LogOf(pid);
            }
            for (const std::string& f : sentinels) EXPECT_TRUE(Exists(f)) << f << " was deleted";
            RemoveTree(sibling);
            RemoveTree(m_root + "\\Dir");
        }
    }
}

// A package on a read-only partition: the copies in %TEMP% lose the attribute, so the
// batch can delete them (and the next run could replace them).
TEST_F(CleanUpBatchRun, AReadOnlyPackageLeavesNothingInTemp)
{
    for (const char* name : SHIPPED_FILES)
        ASSERT_TRUE(SetFileAttributesA((m_package + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY)) << name;
    ASSERT_TRUE(GetFileAttributesA((m_package + "\\ZevDevDll.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
    WriteScenario(SCENARIO_VETO_THEN_EJECTED);   // the copy runs a second before its batch
    ASSERT_TRUE(WaitForExit(StartFromToken("/CleanUpOnly=0"), 30000));
    ASSERT_NE(0u, RelocatedInstance());
    for (const char* name : SHIPPED_FILES) {
        DWORD attributes = GetFileAttributesA((m_temp + "\\" + name).c_str());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << name;
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << name << " is read-only in the temporary directory";
    }
    ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return ListDir(m_temp).empty(); }, 30000))
        << "left in the temporary directory: " << ::testing::PrintToString(ListDir(m_temp));
    EXPECT_TRUE(GetFileAttributesA((m_package + "\\ZevDevDll.dll").c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the package itself stays as it is";
}
