// The clean-up batch as the program writes and starts it, and what it deletes afterwards.
#include "AppFixture.h"
#include "CleanUpBatch.h"
#include <algorithm>

using namespace apptest;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// The cmd.exe processes that run a batch whose command line mentions batchPath.
std::vector<DWORD> BatchProcesses(const std::string& batchPath)
{
    std::vector<DWORD> found;
    for (const ProcessInfo& p : ProcessesNamed("cmd.exe")) {
        std::string line;
        if (RemoteCommandLine(p.pid, line) && line.find(batchPath) != std::string::npos) found.push_back(p.pid);
    }
    return found;
}

// Holds a file open without delete sharing, so a batch cannot delete it.
class FileHold {
public:
    explicit FileHold(const std::string& path)
        : m_h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~FileHold() { Release(); }
    bool Held() const { return m_h != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held()) CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }
private:
    HANDLE m_h;
};

} // namespace

using CleanUpBatchRun = AppRun;

TEST_F(CleanUpBatchRun, DefaultBatchDeletesProgramPackageRmDirAndItself)
{
    // Unrelated things in the temporary directory, and what the batch is meant to remove.
    ASSERT_TRUE(WriteBytes(m_temp + "\\keep.txt", "keep"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\other.dll", "keep"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\Vacater.exe.bak", "keep"));
    ASSERT_TRUE(MakeDirs(m_temp + "\\keepdir"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\keepdir\\inner.txt", "keep"));
    ASSERT_TRUE(MakeDirs(m_temp + "\\oldpkg\\sub"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\oldpkg\\sub\\file.txt", "old"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\CleanUp.exe", "old"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\zevdevascii.log", "old"));

    HANDLE first = StartFromToken("/RmDir=oldpkg /CleanUpOnly=0");
    ASSERT_TRUE(WaitForExit(first, 30000));
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
    EXPECT_EQ(1, Requests());

    // The batch ends by deleting itself.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\remove.bat") && BatchProcesses(m_temp).empty(); },
                          30000));
    EXPECT_EQ(Sorted({"keep.txt", "other.dll", "Vacater.exe.bak", "keepdir"}), Sorted(ListDir(m_temp)));
    EXPECT_TRUE(Exists(m_temp + "\\keepdir\\inner.txt"));
    // The package on the token drive is untouched.
    EXPECT_TRUE(Exists(m_package + "\\Vacater.exe"));
    EXPECT_TRUE(Exists(m_package + "\\application.ini"));
}

TEST_F(CleanUpBatchRun, DefaultBatchRemovesTheAbsoluteFolder)
{
    std::string absDir = m_root + "\\absdir";
    ASSERT_TRUE(MakeDirs(absDir + "\\inner"));
    ASSERT_TRUE(WriteBytes(absDir + "\\inner\\data.bin", "x"));
    ASSERT_TRUE(WriteBytes(m_root + "\\beside.txt", "keep"));

    HANDLE first = StartFromToken("/RmAbsDir=" + absDir + " /CleanUpOnly=1");
    ASSERT_TRUE(WaitForExit(first, 30000));
    ASSERT_NE(0u, RelocatedInstance());
    ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\remove.bat") && BatchProcesses(m_temp).empty(); },
                          30000));
    EXPECT_FALSE(Exists(absDir));
    EXPECT_TRUE(Exists(m_root + "\\beside.txt"));
    EXPECT_TRUE(ListDir(m_temp).empty());
    EXPECT_FALSE(Exists(m_journal)) << "clean-up only: no ejection";
}

TEST_F(CleanUpBatchRun, LauncherBatchIsWrittenExactlyAndStartedHidden)
{
    PlacePackage(m_temp);
    ASSERT_TRUE(MakeDirs(m_temp + "\\AppDeck"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\AppDeck\\Vacater.exe", "launcher's copy"));
    FileHold hold(m_temp + "\\AppDeck\\Vacater.exe"); // the batch loops until it can delete it
    ASSERT_TRUE(hold.Held());

    HANDLE process = Start(m_temp + "\\Vacater.exe", "/Application=AppDeck /CleanUpOnly=1");
    ASSERT_TRUE(WaitForExit(process, 30000));

    std::string written;
    ASSERT_TRUE(ReadBytes(m_temp + "\\remove.bat", written));
    EXPECT_EQ(BuildCleanUpBatch("AppDeck", m_temp.c_str(), m_temp.c_str(), "", "").text.str(), written);
    EXPECT_EQ(0u, written.find("@ECHO OFF\r\nattrib -r *.*\r\n" + m_temp +
                               "\\AppDeck\\Dididevive\\Vacater.exe /Sleep=2000\r\n"));

    std::vector<DWORD> batch;
    ASSERT_TRUE(WaitUntil([&] { return !(batch = BatchProcesses(m_temp + "\\remove.bat")).empty(); }, 20000));
    DWORD flags = 0, show = 99;
    ASSERT_TRUE(RemoteStartupWindow(batch[0], flags, show));
    EXPECT_TRUE(flags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(static_cast<DWORD>(SW_HIDE), show);

    hold.Release();
    EXPECT_TRUE(WaitUntil([&] { return !IsDir(m_temp + "\\AppDeck"); }, 30000)) << "the launcher's folder stays";
    EXPECT_TRUE(Exists(m_temp + "\\remove.bat")) << "this setting keeps its batch";
}

TEST_F(CleanUpBatchRun, DataSafeBatchIsWrittenExactlyAndEmptiesTheStartFolder)
{
    PlacePackage(m_temp);
    ASSERT_TRUE(MakeDirs(m_temp + "\\sub"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\sub\\data.txt", "x"));
    FileHold hold(m_temp + "\\Vacater.exe"); // the program runs, but the batch cannot delete it
    ASSERT_TRUE(hold.Held());

    HANDLE process = Start(m_temp + "\\Vacater.exe", "/Application=Tresoria /CleanUpOnly=1");
    ASSERT_TRUE(WaitForExit(process, 30000));
    std::string written;
    ASSERT_TRUE(ReadBytes(m_temp + "\\remove.bat", written));
    EXPECT_EQ("@ECHO OFF\r\nattrib -r *.*\r\n:repeat\r\nif not exist \"Vacater.exe\" goto end\r\n"
              "del \"Vacater.exe\"  > NUL\r\ngoto repeat\r\n:end\r\ndel /F /S /Q " + m_temp + "\r\n",
              written);

    hold.Release();
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\Vacater.exe") && !Exists(m_temp + "\\sub\\data.txt"); },
                          30000));
    EXPECT_FALSE(Exists(m_temp + "\\application.ini"));
}
