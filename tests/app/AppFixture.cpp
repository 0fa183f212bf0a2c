#include "AppFixture.h"

namespace apptest {

const char* const SCENARIO_EJECTED =
    "command eject \"usb\\vid_3e7a&pid_41*\"\n"
    "pass\n"
    "output eject \"usb\\vid_3e7a&pid_41*\"\\r\\ndevice_s_ejected=1\\r\\n\n"
    "info EJECTED\n";

const char* const SCENARIO_VETO_FOREVER =
    "command eject \"usb\\vid_3e7a&pid_41*\"\n"
    "pass\n"
    "output eject \"usb\\vid_3e7a&pid_41*\"\\r\\ndevice_s_ejected=0\\r\\n\n"
    "info EJECTED_FAILED\n"
    "error CR_REMOVE_VETOED\n"
    "repeat\n";

const char* const SCENARIO_VETO_THEN_EJECTED =
    "command eject \"usb\\vid_3e7a&pid_41*\"\n"
    "pass\n"
    "output eject \"usb\\vid_3e7a&pid_41*\"\\r\\ndevice_s_ejected=0\\r\\n\n"
    "info EJECTED_FAILED\n"
    "error CR_REMOVE_VETOED\n"
    "pass\n"
    "output eject \"usb\\vid_3e7a&pid_41*\"\\r\\ndevice_s_ejected=1\\r\\n\n"
    "info EJECTED\n";

const std::vector<std::string> PACKAGE_FILE_NAMES = {
    "ZevDevDll.dll", "application.ini", "removesplash.bmp", "ejectoksplash.bmp", "msvcp60.dll",
};

void AppRun::SetUp()
{
    m_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    m_root = "C:\\vactest\\" + m_name;
    m_package = std::string(TOKEN_DRIVE) + "\\" + m_name;
    ASSERT_TRUE(IsDir(std::string(TOKEN_DRIVE) + "\\"))
        << "drive " << TOKEN_DRIVE << " is missing: run the tests through ctest (fixture app_token_drive)";
    RemoveTree(m_root);
    RemoveTree(m_package);
    ASSERT_TRUE(MakeDirs(m_root));
    m_scenario = m_root + "\\scenario.txt";
    m_journal = m_root + "\\journal.txt";
    PlacePackage(m_package);
    UseTemp(m_root + "\\temp");
    WriteScenario(SCENARIO_EJECTED);
    m_env.Set("ZEVDEV_SCENARIO", m_scenario);
    m_env.Set("ZEVDEV_JOURNAL", m_journal);
    m_env.Remove("HOME");
}

void AppRun::TearDown()
{
    // Whatever still runs from this test's folders ends here.
    for (const ProcessInfo& p : ProcessesNamed("Vacater.exe")) {
        const std::string& path = p.exePath;
        if (_strnicmp(path.c_str(), m_root.c_str(), m_root.size()) == 0 ||
            _strnicmp(path.c_str(), m_package.c_str(), m_package.size()) == 0)
            KillProcess(p.pid);
    }
    for (HANDLE h : m_processes) CloseHandle(h);
    m_processes.clear();
    // A batch may still be at work in the folders: give it a moment before removing them.
    WaitUntil([] { return false; }, 200);
    RemoveTree(m_root);
    RemoveTree(m_package);
}

void AppRun::UseTemp(const std::string& temp, bool create)
{
    m_temp = temp;
    if (create) {
        ASSERT_TRUE(MakeDirs(temp));
    }
    m_env.Set("TEMP", temp);
    m_env.Set("TMP", temp);
}

void AppRun::WriteScenario(const char* text)
{
    ASSERT_TRUE(WriteBytes(m_scenario, text));
}

void AppRun::PlacePackage(const std::string& folder)
{
    ASSERT_TRUE(MakeDirs(folder));
    ASSERT_TRUE(CopyInto(BinDir() + "\\Vacater.exe", folder + "\\Vacater.exe"));
    ASSERT_TRUE(CopyInto(BinDir() + "\\ZevDevDll.dll", folder + "\\ZevDevDll.dll"));
    // No splash pictures are named, so the ejection neither shows nor waits.
    ASSERT_TRUE(WriteBytes(folder + "\\application.ini", "[Application]\r\nEjectOKTime=1000\r\n"));
    ASSERT_TRUE(WriteBytes(folder + "\\removesplash.bmp", "not a picture 1"));
    ASSERT_TRUE(WriteBytes(folder + "\\ejectoksplash.bmp", "not a picture 2"));
    ASSERT_TRUE(WriteBytes(folder + "\\msvcp60.dll", "runtime stand-in"));
}

HANDLE AppRun::Start(const std::string& exePath, const std::string& args, DWORD* pid)
{
    std::string folder = exePath.substr(0, exePath.find_last_of('\\'));
    if (folder.size() == 2) folder += "\\";
    std::string line = args.empty() ? exePath : exePath + " " + args;
    HANDLE h = Launch(line, folder, &m_env, pid);
    EXPECT_NE(nullptr, h) << "cannot start " << line << ", error " << GetLastError();
    if (h) m_processes.push_back(h);
    return h;
}

HANDLE AppRun::StartFromToken(const std::string& args, DWORD* pid)
{
    return Start(m_package + "\\Vacater.exe", args, pid);
}

DWORD AppRun::RelocatedInstance(DWORD timeoutMs)
{
    std::vector<DWORD> pids;
    WaitUntil([&] { return !(pids = ProcessesAt(m_temp + "\\Vacater.exe")).empty(); }, timeoutMs);
    EXPECT_EQ(1u, pids.size());
    return pids.empty() ? 0 : pids[0];
}

HWND AppRun::WaitForDialog(DWORD pid, DWORD timeoutMs)
{
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            for (HWND h : WindowsOf(pid, "#32770")) {
                char caption[32] = "";
                GetWindowTextA(h, caption, sizeof caption);
                if (strcmp(caption, "Vacater") == 0) dialog = h;
            }
            return dialog != nullptr;
        },
        timeoutMs);
    return dialog;
}

} // namespace apptest
