// Ejecting the token as the removal dialog's worker does it: EjectVaultik on a thread with a
// message loop, checked through the device library's journal, the splash windows and the result.
#include "EjectSupport.h"
#include "Occurrences.h"
#include "RegistryKey.h"
#include <RemoveManager.h>
#include <Splash.h>
#include <ZevDevSim.h>
#include <debug.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

const char* const CMD1 = EJECT_COMMAND_1;
const char* const CMD2 = EJECT_COMMAND_2;

// The calls of one command: a new handle, the passes on it with flags 0, one 16000-byte buffer
// and device 0, "error" asked for after a failure, and the handle released through the
// address of a variable that holds it.
std::string CommandCalls(const char* command, int passes, bool asksError)
{
    std::string calls = "ZDAPI_CreateHandle\t=p1\n";
    for (int p = 0; p < passes; ++p) {
        calls += std::string("ZDAPI_ZevDevExec\tp1\t0\t") + command + "\n" +
                 "ZDAPI_GetOutput\tp1\tp2\t16000\tp3\n"
                 "ZDAPI_ParseCurrentOutput\tp1\t0\n"
                 "ZDAPI_GetDevice\tp1\t0\tp2\t16000\tp3\n"
                 "ZDAPI_GetDeviceInfo\tp1\t0\tinfo\tp2\t16000\tp3\n";
        if (asksError) calls += "ZDAPI_GetDeviceInfo\tp1\t0\terror\tp2\t16000\tp3\n";
    }
    return calls + "ZDAPI_CloseHandle\tp4\tp1\n";
}

// Splash windows present while each command ran.
void RecordSplashes(const char*, void* context)
{
    static_cast<std::vector<std::vector<SplashInfo>>*>(context)->push_back(SplashWindows(GetCurrentThreadId()));
}

class EjectVaultik : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSplashWnd::EnableSplashScreen(TRUE);
        ZDSIM_SetExecHook(RecordSplashes, &m_execs);
        UseNoScenario();
    }
    void TearDown() override
    {
        ZDSIM_SetExecHook(nullptr, nullptr);
        UseNoScenario();
    }

    // Runs EjectVaultik on the worker with `m_dir` as current directory; records the splash
    // windows present right after it returned, before the worker dispatches again.
    int Run()
    {
        CurrentDir cd(m_dir.dir());
        int result = 99;
        m_worker.run([&] {
            result = CRemoveManager().EjectVaultik();
            m_after = SplashWindows(GetCurrentThreadId());
        });
        return result;
    }
    void CopyFromPackage(const char* name, const char* as)
    {
        ASSERT_TRUE(WriteBytes(m_dir.path(as), ReadBytes(PackageFile(name))));
    }
    bool SplashesGone() { return PumpUntil([&] { return SplashWindows(m_worker.id()).empty(); }, 15000); }

    TempDir m_dir{"ejtest"};
    LoopThread m_worker;
    std::vector<std::vector<SplashInfo>> m_execs;
    std::vector<SplashInfo> m_after;
};

const char* const S1 = "command " EJECT_COMMAND_1 "\npass\n";
const char* const S2 = "command " EJECT_COMMAND_2 "\npass\n";

} // namespace

TEST_F(EjectVaultik, ResultAndLibraryCallsFollowWhatTheDeviceReports)
{
    struct Case {
        const char* name;
        std::string scenario;  // empty: no scenario, nothing is found
        int result;
        int passes1, passes2;
        bool asksError1, asksError2;
    } cases[] = {
        {"nothing found: ten passes per command", "", EJECT_RESULT_DONE, 10, 10, false, false},
        {"ejected at once",
         std::string(S1) + "output USB\\VID_3E7A&PID_4012\\1&2&0: Vaultik\\r\\ndevice_s_ejected=2\\r\\n\ninfo EJECTED\n" +
             S2 + "output device_s_ejected=1\ninfo EJECTED\n",
         EJECT_RESULT_DONE, 1, 1, false, false},
        {"ejected without info, then none left", std::string(S2) + "output device_s_ejected=1\\r\\n\n",
         EJECT_RESULT_DONE, 10, 2, false, false},
        {"vetoed on the second command",
         std::string(S1) + "info EJECTED_FAILED\nerror CR_INVALID_DEVNODE\n" + S2 +
             "output device_s_ejected=0\ninfo EJECTED_FAILED\nerror CR_REMOVE_VETOED\n",
         EJECT_RESULT_REFUSED, 1, 1, true, true},
        {"failed with another error: inconclusive", std::string(S2) + "info EJECTED_FAILED\nerror CR_FAILURE\nrepeat\n",
         EJECT_RESULT_DONE, 10, 10, false, true},
        {"info must be exactly EJECTED", std::string(S1) + "info EJECTED \nrepeat\n" + S2 + "info ejected\nrepeat\n",
         EJECT_RESULT_DONE, 10, 10, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseScenario(m_dir, c.scenario);
        EXPECT_EQ(c.result, Run());
        EXPECT_EQ(CommandCalls(CMD1, c.passes1, c.asksError1) + CommandCalls(CMD2, c.passes2, c.asksError2),
                  SymbolicJournal());
    }
}

// What a person sees during and after the commands: no splash without settings or pictures;
// the first splash (plain with an empty caption) during every pass; the second one after a
// refusal too, staying for its display time and going once the worker dispatches its timer.
TEST_F(EjectVaultik, SplashesFollowTheSettings)
{
    static const char ONLY_EJECTED[] = "[Application]\r\nRemoveSplash=removesplash.bmp\r\n"
                                       "EjectOKSplash=ejectoksplash.bmp\r\nEjectOKTime=1000\r\nEjectOKOnlyEjected=1\r\n";
    static const char ONLY_EJECTED_OFF[] = "[Application]\r\nRemoveSplash=removesplash.bmp\r\n"
                                           "EjectOKSplash=ejectoksplash.bmp\r\nEjectOKTime=1000\r\nEjectOKOnlyEjected=0\r\n";
    const std::string veto = std::string(S2) + "info EJECTED_FAILED\nerror CR_REMOVE_VETOED\n";
    struct Case {
        const char* name;
        const char* ini;  // nullptr: no settings file; "": the package's
        std::string scenario;
        size_t passes;
        const char* first;   // the first splash's window text; nullptr: no splash
        const char* second;
        bool captioned = true;   // the first splash has a caption bar
    } cases[] = {
        {"no settings file", nullptr, "", 20, nullptr, nullptr},
        {"pictures broken or missing", "[Application]\r\nRemoveSplash=broken.bmp\r\nEjectOKSplash=missing.gif\r\n",
         "", 20, nullptr, nullptr},
        // No caption bar, but a name for screen readers: the default caption.
        {"empty caption", "[Application]\r\nRemoveSplash=removesplash.bmp\r\n[Strings]\r\nRemoving=\r\n", "", 20,
         "Vaultik wird ausgeworfen", nullptr, false},
        {"the package", "", veto, 11, "Vaultik wird ausgeworfen", "Sie k\xF6nnen Vaultik jetzt entfernen!"},
        {"only after an ejected device: refused", ONLY_EJECTED, veto, 11, "Vaultik wird ausgeworfen", nullptr},
        {"only after an ejected device: ejected", ONLY_EJECTED, std::string(S2) + "info EJECTED\n", 11,
         "Vaultik wird ausgeworfen", "Sie k\xF6nnen Vaultik jetzt entfernen!"},
        {"only after an ejected device: counted", ONLY_EJECTED,
         std::string(S2) + "output device_s_ejected=1\npass\noutput device_s_ejected=0\n", 12,
         "Vaultik wird ausgeworfen", "Sie k\xF6nnen Vaultik jetzt entfernen!"},
        {"setting 0 keeps every second splash", ONLY_EJECTED_OFF, veto, 11, "Vaultik wird ausgeworfen",
         "Sie k\xF6nnen Vaultik jetzt entfernen!"},
    };
    ASSERT_TRUE(WriteBytes(m_dir.path("broken.bmp"), "BM this is no bitmap"));
    CopyFromPackage("removesplash.bmp", "removesplash.bmp");
    CopyFromPackage("ejectoksplash.bmp", "ejectoksplash.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(m_dir.path("Application.ini").c_str());
        if (c.ini && *c.ini) {
            ASSERT_TRUE(WriteBytes(m_dir.path("Application.ini"), c.ini));
        }
        if (c.ini && !*c.ini) CopyFromPackage("Application.ini", "Application.ini");
        UseScenario(m_dir, c.scenario);
        m_execs.clear();
        EXPECT_EQ(c.scenario.find("CR_REMOVE_VETOED") == std::string::npos ? 0 : -2, Run());
        ASSERT_EQ(c.passes, m_execs.size()) << "both commands still run";
        for (const auto& shown : m_execs) {
            ASSERT_EQ(c.first ? 1u : 0u, shown.size());
            if (!c.first) continue;
            EXPECT_EQ(m_execs[0][0].hWnd, shown[0].hWnd) << "one splash for all passes";
            EXPECT_TRUE(shown[0].visible);
            EXPECT_EQ(c.captioned, (shown[0].style & WS_CAPTION) == WS_CAPTION);
            EXPECT_EQ(c.first, shown[0].text);
            EXPECT_EQ(400, shown[0].window.right - shown[0].window.left);
            EXPECT_EQ(300, shown[0].window.bottom - shown[0].window.top);
        }
        ASSERT_EQ(c.second ? 1u : 0u, m_after.size()) << "the first splash is hidden after the commands";
        if (!c.second) continue;
        EXPECT_TRUE(m_after[0].visible);
        EXPECT_EQ(c.second, m_after[0].text);
        EXPECT_TRUE(SplashesGone()) << "the display time hides the second splash";
    }
}

// The log tells the story of an attempt: commands, passes, counts, the second splash's time.
TEST_F(EjectVaultik, TracesTellWhatHappened)
{
    const char key[] = "Software\\Vacater Eject Test";
    // Outside the test's folder: the logger writes its closing block there at process end.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string logPath = std::string(temp) + "vacater-eject-tests.log";
    RegistryKey settings(key);
    auto useTraces = [&](DWORD level) {
        settings.dword("LogLevel", level);
        settings.dword("PrintOut", 0);
        settings.text("LogPath", logPath);
        DebugInit(key, "[EJECTTEST]");
    };
    DeleteFileA(logPath.c_str());
    useTraces(0x09000000);  // trace and error lines
    CopyFromPackage("ejectoksplash.bmp", "ok.bmp");
    ASSERT_TRUE(
        WriteBytes(m_dir.path("Application.ini"), "[Application]\r\nEjectOKSplash=ok.bmp\r\nEjectOKTime=500\r\n"));
    UseScenario(m_dir, std::string(S2) + "info EJECTED_FAILED\nerror CR_REMOVE_VETOED\n");
    int result = Run();
    std::string log;
    for (char c : ReadBytes(logPath))
        if (c) log += c;  // the text, whatever the file's encoding mark
    useTraces(0x08000000);  // errors only from here on (this clears the log)
    EXPECT_EQ(EJECT_RESULT_REFUSED, result);
    const char* const inOrder[] = {
        "--> CRemoveManager::EjectVaultik\n",
        "No Splash file defined ! ",
        "Eject: <eject \"usb\\vid_3e7a&pid_40*\"> \r\n",
        "CRemoveManager::EjectDevice: output\r\n\teject \"usb\\vid_3e7a&pid_40*\"\r\nno matching device found\r\n"
        "device_s_ejected=0\r\n\r\n*******************\r\n",
        "CRemoveManager::EjectDevice: set DevicesEjected to 0\r\n",
        "<-- CRemoveManager::EjectDevice: iRet=1 with DevicesEjected=0\r\n",
        "<-- CRemoveManager::Eject: returns=0 \r\n",
        "Eject: <eject \"usb\\vid_3e7a&pid_41*\"> \r\n",
        "CRemoveManager::EjectDevice:\r\ninfo=EJECTED_FAILED\r\nerror=CR_REMOVE_VETOED\r\n",
        "<-- CRemoveManager::EjectDevice: iRet=-2 with DevicesEjected=0\r\n",
        "<-- CRemoveManager::Eject: returns=-2 \r\n",
        "Called SowSplashScreen wit image ok.bmp and time 1000 ",
        "<-- CRemoveManager::EjectVaultik returns -2\n",
    };
    size_t at = 0;
    for (const char* line : inOrder) {
        size_t found = log.find(line, at);
        ASSERT_NE(std::string::npos, found) << "missing after offset " << at << ": " << line << "\nlog: " << log;
        at = found + strlen(line);
    }
    // Command 2's pass had no output: no output trace and no count.
    EXPECT_EQ(10u, Occurrences(log, "set DevicesEjected to"));
    EXPECT_TRUE(SplashesGone());
}
