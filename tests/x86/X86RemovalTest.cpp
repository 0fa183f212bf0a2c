// The 32-bit program and its device library as the win32 package ships them, run as WOW64
// processes: the whole removal from the token drive, the device-tree back-end, and the
// logging settings it reads from the WOW6432Node view of the registry.
#include "AppTestSupport.h"
#include "RegisteredDevice.h"
#include "RemoveManager.h"
#include "TempDir.h"
#include "X86Programs.h"
#include <compare>
#include <map>
#include <cstring>
#include <ostream>
#include <set>

using namespace apptest;
using namespace x86test;

namespace {

const char SETTINGS_KEY[] = "Software\\Zevtron Systems\\Zevtron Vaultik\\tresoria";

// A splash window as seen from outside the program: its caption and outer size.
struct Seen {
    std::string text;
    long width, height;
    friend auto operator<=>(const Seen&, const Seen&) = default;
};
void PrintTo(const Seen& s, std::ostream* os) { *os << "\"" << s.text << "\" " << s.width << "x" << s.height; }

// Every splash window by owning process and handle, each as last seen visible (a window may
// be seen before its caption is set).
typedef std::map<std::pair<DWORD, HWND>, Seen> SplashWatch;

BOOL CALLBACK CollectVisibleSplash(HWND hWnd, LPARAM lp)
{
    auto* found = reinterpret_cast<SplashWatch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    char cls[64] = "", text[512] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (strncmp(cls, "ZvWnd:", 6) != 0 || !IsWindowVisible(hWnd)) return TRUE;
    RECT r;
    GetWindowRect(hWnd, &r);
    GetWindowTextA(hWnd, text, sizeof text);
    (*found)[{owner, hWnd}] = {text, r.right - r.left, r.bottom - r.top};
    return TRUE;
}

// The log's "CommandLine : ..." trace: what the process was started with.
std::string TracedCommandLine(const std::string& log)
{
    size_t at = log.find("CommandLine : ");
    if (at == std::string::npos) return std::string();
    std::string line = log.substr(at + 14, log.find_first_of("\r\n", at) - at - 14);
    return line.substr(0, line.find_last_not_of(' ') + 1);
}

// The application's run from the token drive V:, with the 32-bit program and library in the
// package and the logging settings in the 32-bit view only (the 64-bit view stays empty).
class X86Run : public AppRun {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_X86();
        AppRun::SetUp();
        for (const char* name : {"Vacater.exe", "ZevDevDll.dll"})
            ASSERT_TRUE(CopyFileA(X86Program(name).c_str(), (m_package + "\\" + name).c_str(), FALSE)) << name;
        m_settings.reset(new RegistryKey(SETTINGS_KEY, RegistryKey::SHARED_KEY, KEY_WOW64_32KEY));
        ASSERT_TRUE(m_settings->dword("LogLevel", 0x01000000));
        ASSERT_TRUE(m_settings->dword("LogFileAppendPID", 1));
        ASSERT_TRUE(m_settings->text("LogPath", m_logs + "\\vac"));
    }
    // Skipped before the fixture named its folders: nothing to clean (an empty folder name
    // would be the drive's root).
    void TearDown() override
    {
        if (!m_root.empty()) AppRun::TearDown();
    }
};

using X86Removal = X86Run;

// The token refuses once, then goes. Each request takes half a second, as on a real PC:
// without that the first splash can come and go between two looks from outside.
const char* const SLOW_VETO_THEN_EJECTED =
    "command " EJECT_COMMAND_2 "\npass\nwait 500\noutput " EJECT_COMMAND_2 "\\r\\ndevice_s_ejected=0\\r\\n\n"
    "info EJECTED_FAILED\nerror CR_REMOVE_VETOED\n"
    "pass\nwait 500\noutput " EJECT_COMMAND_2 "\\r\\ndevice_s_ejected=1\\r\\n\ninfo EJECTED\n";

// The package's own settings and pictures; the token refuses once, then goes.
TEST_F(X86Removal, RelocatesEjectsWithBothSplashesAndItsBatchRemovesThePackage)
{
    for (const char* name : {"Application.ini", "removesplash.bmp", "ejectoksplash.bmp"})
        ASSERT_TRUE(CopyFileA((std::string(EJECT_PACKAGE_DIR) + "\\" + name).c_str(), (m_package + "\\" + name).c_str(),
                              FALSE)) << name;
    WriteScenario(SLOW_VETO_THEN_EJECTED);
    ASSERT_TRUE(MakeDirs(m_temp + "\\oldpkg\\sub"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\oldpkg\\sub\\file.txt", "x"));
    ASSERT_TRUE(WriteBytes(m_temp + "\\keep.txt", "x"));

    // Watched from the start: the copy may show its first splash before it is found.
    SplashWatch watch;
    auto look = [&] { EnumWindows(CollectVisibleSplash, reinterpret_cast<LPARAM>(&watch)); };
    DWORD first = 0;
    HANDLE started = StartFromToken("/RmDir=oldpkg /CleanUpOnly=0 /VKDriveLetter=V:", &first);
    ASSERT_TRUE(WaitUntil([&] { look(); return WaitForExit(started, 0); }, 30000));
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ExpectPackageCopied(m_package);

    ASSERT_TRUE(WaitUntil([&] {
        look();
        return ProcessesAt(m_temp + "\\Vacater.exe").empty();
    }, 60000)) << "the relocated copy did not end";
    std::set<Seen> seen;
    for (const auto& window : watch)
        if (window.first.first == copy) seen.insert(window.second);
    EXPECT_EQ(std::set<Seen>({{"Vaultik wird ausgeworfen", 400, 300}, {"Sie k\xF6nnen Vaultik jetzt entfernen!", 400, 300}}),
              seen) << "both splashes, picture-sized";

    EXPECT_EQ(2, Requests()) << "one refusal, one retry";
    std::string log = LogOf(copy);
    // Exactly as written: Wine quotes the path for a 64-bit copy, not for a 32-bit one.
    EXPECT_EQ(m_temp + "\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmDir=oldpkg /VKDriveLetter=V:",
              TracedCommandLine(log)) << "the restart line";
    EXPECT_NE(std::string::npos, log.find("REMOVE_EXE : we run from this instance")) << log;
    EXPECT_NE(std::string::npos, LogOf(first).find("prepare the copy of the whole package"));

    EXPECT_TRUE(WaitUntil([&] { return ListDir(m_temp) == std::vector<std::string>({"keep.txt"}); }, 30000))
        << "left in Temp: " << ::testing::PrintToString(ListDir(m_temp));
    EXPECT_TRUE(Exists(m_package + "\\Vacater.exe")) << "the package on the token stays";
}

// No scenario: the library asks Wine's device tree, where the token is registered.
TEST_F(X86Removal, DeviceTreeBackEndEjectsTheRegisteredToken)
{
    RegisteredDevice token{"VID_3E7A&PID_4107", "ZVX86001", {L"USB\\VID_3E7A&PID_4107&REV_0100", L"USB\\VID_3E7A&PID_4107"},
                           L"Vaultik"};
    ASSERT_TRUE(token.ok());
    m_env.erase("ZEVDEV_SCENARIO");
    DWORD pid = 0;
    ASSERT_TRUE(WaitForExit(StartFromToken("/RemoveOnly=1", &pid), 60000));
    std::string journal = ReadBytes(m_root + "\\journal.txt");
    EXPECT_EQ(1, Requests()) << journal;
    EXPECT_NE(std::string::npos, journal.find("the device tree answers")) << journal;
    std::string log = LogOf(pid);
    for (const char* line : {"info=EJECTED", "instance_id=USB\\VID_3E7A&PID_4107\\ZVX86001",
                             "hardware_id=USB\\VID_3E7A&PID_4107&REV_0100", "description=Vaultik",
                             "<-- CRemoveManager::EjectVaultik returns 0"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;
}

// The same settings key in both views, each naming another log folder: every program logs
// where its own view says, never where the other one does.
TEST(X86LoggerSettings, ComeFromTheViewOfTheProgramsOwnWidth)
{
    SKIP_WITHOUT_X86();
    TempDir dir("x86settings");
    struct View {
        REGSAM view;
        const char* folder;
        std::string program;
    } views[] = {{KEY_WOW64_32KEY, "wow6432node", X86Program("Vacater.exe")},
                 {KEY_WOW64_64KEY, "native", ProgramDir() + "\\Vacater.exe"}};
    std::vector<std::unique_ptr<RegistryKey>> keys;
    for (const View& v : views) {
        ASSERT_TRUE(CreateDirectoryA(dir.path(v.folder).c_str(), nullptr));
        keys.emplace_back(new RegistryKey(SETTINGS_KEY, RegistryKey::SHARED_KEY, v.view));
        ASSERT_TRUE(keys.back()->dword("LogLevel", 0x01000000));
        ASSERT_TRUE(keys.back()->text("LogPath", dir.path(v.folder) + "\\vac"));
    }
    for (const View& v : views) {
        SCOPED_TRACE(v.program);
        ChildResult run = runProgram(v.program, "/Sleep=0");
        EXPECT_EQ(0u, run.exitCode);
        for (const View& w : views) {
            std::vector<std::string> logs = ListDir(dir.path(w.folder));
            EXPECT_EQ(&v == &w ? 1u : 0u, logs.size()) << w.folder << ": " << ::testing::PrintToString(logs);
            for (const std::string& name : logs) DeleteFileA((dir.path(w.folder) + "\\" + name).c_str());
        }
    }
}

} // namespace
