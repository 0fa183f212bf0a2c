// What the program's traces tell, read from the per-process log files: the options it
// received, the exact restart command line, the retry count and the clean-up's steps.
#include "AppFixture.h"
#include <algorithm>

using namespace apptest;

namespace {

const char* const SETTINGS_KEY = "Software\\Zevtron Systems\\Zevtron Vaultik\\tresoria";

void SetNumber(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Trace lines, with the zero bytes of a 2-byte text encoding taken out.
std::string LogText(const std::string& path)
{
    std::string bytes;
    ReadBytes(path, bytes);
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    return bytes;
}

// Positions of each needle, in order; npos for the first one missing or out of order.
size_t InOrder(const std::string& text, std::initializer_list<std::string> needles)
{
    size_t at = 0;
    for (const std::string& n : needles) {
        at = text.find(n, at);
        if (at == std::string::npos) return at;
        at += n.size();
    }
    return at;
}

size_t Occurrences(const std::string& text, const std::string& needle)
{
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

class TracedRun : public AppRun {
protected:
    void SetUp() override
    {
        AppRun::SetUp();
        m_logs = m_root + "\\logs";
        ASSERT_TRUE(MakeDirs(m_logs));
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        SetNumber(key, "LogLevel", 0x01000000);
        SetNumber(key, "LogFileAppendPID", 1);
        std::string path = m_logs + "\\vac";
        RegSetValueExA(key, "LogPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }
    void TearDown() override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            for (const char* name : {"LogLevel", "LogFileAppendPID", "LogPath"}) RegDeleteValueA(key, name);
            RegCloseKey(key);
        }
        AppRun::TearDown();
    }
    // The log of one process, found by its process id in the file name.
    std::string LogOf(DWORD pid)
    {
        std::string id = std::to_string(pid);
        for (const std::string& name : ListDir(m_logs))
            if (name.find(id) != std::string::npos) return LogText(m_logs + "\\" + name);
        return std::string();
    }
    std::string m_logs;
};

} // namespace

TEST_F(TracedRun, RelocatingInstanceTracesOptionsAndTheExactRestartLine)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    UseTemp(m_root + "\\tmp with blanks");
    DWORD first = 0;
    HANDLE process = StartFromToken("/RemoveOnly=0 /RmAbsDir=\"C:\\a b\" /CleanUpOnly=3 /VKDriveLetter=V: "
                                    "/Application=AppDeck /Application=Tresoria /DriveLetter=Q",
                                    &first);
    ASSERT_TRUE(WaitForExit(process, 30000));
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);

    std::string log = LogOf(first);
    ASSERT_FALSE(log.empty()) << "no log of the first instance in " << m_logs;
    EXPECT_NE(std::string::npos,
              InOrder(log, {" --> InitInstance()", "REMOVE_EXE : CurrentPath :  " + m_package,
                            "CommandLine : " + m_package + "\\Vacater.exe /RemoveOnly=0",
                            "Received Commandline-Parameter /RemoveOnly 0 ",
                            "Received Commandline-Parameter /RmAbsDirC:\\a b ",
                            "Received Commandline-Parameter /CleanUpOnly 3 ",
                            "Received Commandline-Parameter V: ", "Received Commandline-Parameter AppDeck ",
                            "Received Commandline-Parameter Tresoria ", " --> CopyAndRestart()",
                            "REMOVE_EXE : prepare the copy of the whole package...",
                            "Copied file " + m_package + "\\ZevDevDll.dll to " + m_temp + "\\ZevDevDll.dll",
                            "Calling new instance with commandline : " + m_temp +
                                "\\Vacater.exe /DriveLetter=V /CleanUpOnly=3 /RmAbsDir=\"C:\\a b\" "
                                "/VKDriveLetter=V: in " + m_temp,
                            "REMOVE_EXE : CopyAndRestart() returns 0", "--> ExitInstance()",
                            "REMOVE_EXE : m_bCleanUp is false, Did not call CleanUP() !! : ",
                            "<-- ExitInstance()"}))
        << log;
    // The copy recognised itself from the line Wine handed it.
    ASSERT_TRUE(WaitUntil([&] { return LogOf(copy).find("REMOVE_EXE : we run from this instance") !=
                                       std::string::npos; },
                          20000))
        << LogOf(copy);
}

TEST_F(TracedRun, RefusedEjectionsTraceTenTriesThenTheStop)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    DWORD pid = 0;
    HANDLE process = StartFromToken("/RemoveOnly=1", &pid);
    ASSERT_TRUE(WaitForExit(process, 90000));
    std::string log = LogOf(pid);
    std::vector<std::string> expected;
    for (int i = 1; i <= 10; ++i) expected.push_back("REMOVE_EXE : " + std::to_string(i) + " try to remove Vaultik");
    size_t at = 0;
    for (const std::string& e : expected) {
        at = log.find(e, at);
        ASSERT_NE(std::string::npos, at) << e << "\n" << log;
    }
    EXPECT_NE(std::string::npos, log.find("REMOVE_EXE : tried 10 times to remove Vaultik - but stop now", at));
    EXPECT_EQ(std::string::npos, log.find("11 try to remove"));
    EXPECT_EQ(11u, Occurrences(log, "CRemoveDlg::WorkThread got message WUM_WORKTHREAD_REMOVEVK"));
    EXPECT_EQ(10u, Occurrences(log, "OnTimer() for TIMERID_RETRY: PostThreadMessage(WUM_WORKTHREAD_REMOVEVK"));
    EXPECT_EQ(1u, Occurrences(log, "starting WorkThread..."));
    EXPECT_NE(std::string::npos, log.find("REMOVE_EXE : m_removeOnly=1"));
}

TEST_F(TracedRun, CleanUpOnlyAnswersTheFirstRequestWithoutEjecting)
{
    PlacePackage(m_temp);
    DWORD pid = 0;
    HANDLE process = Start(m_temp + "\\Vacater.exe", "/CleanUpOnly=1", &pid);
    ASSERT_TRUE(WaitForExit(process, 30000));
    std::string log = LogOf(pid);
    EXPECT_EQ(1u, Occurrences(log, "CRemoveDlg::WorkThread got message WUM_WORKTHREAD_REMOVEVK"));
    EXPECT_EQ(std::string::npos, log.find("EjectVaultik"));
    EXPECT_EQ(std::string::npos, log.find("try to remove Vaultik"));
    EXPECT_NE(std::string::npos,
              InOrder(log, {"REMOVE_EXE : we run from this instance", " --> OnInitDialog() ", " <-- OnInitDialog() ",
                            "REMOVE_EXE : CopyAndRestart() returns 1", " --> OnTimer() ", "starting WorkThread...",
                            "--> ExitInstance()", "build batch to clear all dlls, exe and bat...",
                            "REMOVE_EXE : written batch file :  " + m_temp + "\\remove.bat",
                            "REMOVE_EXE : started batch-process [" + m_temp + "\\remove.bat] successfully",
                            "<-- ExitInstance()"}))
        << log;
}

TEST_F(TracedRun, SleepStopsReadingTheOptions)
{
    DWORD pid = 0;
    HANDLE process = StartFromToken("/RmDir=first /Sleep=200 /RmDir=second", &pid);
    ASSERT_TRUE(WaitForExit(process, 30000));
    std::string log = LogOf(pid);
    EXPECT_NE(std::string::npos, InOrder(log, {"Received Commandline-Parameter /RmDirfirst ",
                                               "Received Commandline-Parameter /Sleep 200 ", "--> ExitInstance()",
                                               "<-- ExitInstance()"}))
        << log;
    EXPECT_EQ(std::string::npos, log.find("/RmDirsecond"));
    EXPECT_EQ(std::string::npos, log.find("CopyAndRestart"));
    EXPECT_EQ(std::string::npos, log.find("m_bCleanUp is false")) << "a sleeping instance only traces its frame";
}

TEST_F(TracedRun, QuotedProgramInTheDriveRootStartsFromTheDrive)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    const std::string drive = TOKEN_DRIVE;
    const std::string root = drive + "\\";
    struct RootCleaner {
        std::string root;
        ~RootCleaner()
        {
            for (const char* name : {"Vacater.exe", "ZevDevDll.dll", "application.ini", "removesplash.bmp",
                                     "ejectoksplash.bmp", "msvcp60.dll"})
                DeleteFileA((root + name).c_str());
        }
    } cleaner{root};
    PlacePackage(root);

    DWORD first = 0;
    HANDLE quoted = Launch("\"" + root + "Vacater.exe\" /RmDir=x", root, &m_env, &first);
    ASSERT_NE(nullptr, quoted);
    bool ended = WaitForExit(quoted, 30000);
    CloseHandle(quoted);
    ASSERT_TRUE(ended);
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    std::string log = LogOf(first);
    EXPECT_NE(std::string::npos, log.find("REMOVE_EXE : CurrentPath :  \"" + drive + " "))
        << "the first trace still shows the opening quote\n" << log;
    EXPECT_NE(std::string::npos, log.find("Copied file " + root + "ZevDevDll.dll to " + m_temp)) << log;
    std::string line;
    ASSERT_TRUE(RemoteCommandLine(copy, line));
    EXPECT_EQ(m_temp + "\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmDir=x /VKDriveLetter=", line);
    KillProcess(copy);
}
