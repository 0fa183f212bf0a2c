// Ejecting the token as the removal dialog's worker does it: EjectVaultik on a thread with a
// message loop, checked through the device library's journal, the splash windows and the result.
#include "EjectSupport.h"
#include <RemoveManager.h>
#include <Splash.h>
#include <ZevDevSim.h>
#include <debug.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

const char* const CMD1 = "eject \"usb\\vid_3e7a&pid_40*\"";
const char* const CMD2 = "eject \"usb\\vid_3e7a&pid_41*\"";

// What a pass looks like from the library's side: whether it asked for "error".
struct PassShape {
    bool asksError;
};
std::vector<PassShape> Passes(int n, bool asksError = false) { return std::vector<PassShape>(n, {asksError}); }

// Checks one command's calls from `at`: a new handle, the passes on it, and the handle released
// through the address of a variable that holds it. Returns the index after them.
size_t ExpectCommand(const std::vector<Call>& calls, size_t at, const char* command,
                     const std::vector<PassShape>& passes)
{
    SCOPED_TRACE(command);
    size_t i = at;
    auto next = [&](const char* name) -> const Call& {
        static const Call none;
        if (i >= calls.size()) {
            ADD_FAILURE() << "journal ends; expected " << name << " at call " << i;
            return none;
        }
        const Call& c = calls[i++];
        EXPECT_EQ(name, c[0]) << "call " << (i - 1);
        return c;
    };
    std::string created = next("ZDAPI_CreateHandle")[1];
    if (created.empty() || created[0] != '=') {
        ADD_FAILURE() << "no handle in " << created;
        return i;
    }
    std::string h = created.substr(1);
    for (size_t p = 0; p < passes.size(); ++p) {
        SCOPED_TRACE("pass " + std::to_string(p + 1));
        const Call& exec = next("ZDAPI_ZevDevExec");
        EXPECT_EQ(h, exec[1]);
        EXPECT_EQ("0", exec[2]) << "flags";
        EXPECT_EQ(command, exec[3]);
        const Call& out = next("ZDAPI_GetOutput");
        EXPECT_EQ(h, out[1]);
        EXPECT_EQ("16000", out[3]);
        std::string buffer = out[2], length = out[4];
        EXPECT_NE(std::string(16, '0'), length) << "length address";
        const Call& parse = next("ZDAPI_ParseCurrentOutput");
        EXPECT_EQ(h, parse[1]);
        EXPECT_EQ("0", parse[2]);
        const Call& dev = next("ZDAPI_GetDevice");
        EXPECT_EQ(h, dev[1]);
        EXPECT_EQ("0", dev[2]) << "device index";
        EXPECT_EQ(buffer, dev[3]) << "one buffer for the whole pass";
        EXPECT_EQ("16000", dev[4]);
        EXPECT_EQ(length, dev[5]);
        std::vector<std::string> keys = {"info"};
        if (passes[p].asksError) keys.push_back("error");
        for (const std::string& key : keys) {
            const Call& info = next("ZDAPI_GetDeviceInfo");
            EXPECT_EQ(h, info[1]);
            EXPECT_EQ("0", info[2]);
            EXPECT_EQ(key, info[3]);
            EXPECT_EQ(buffer, info[4]);
            EXPECT_EQ("16000", info[5]);
            EXPECT_EQ(length, info[6]);
        }
    }
    const Call& close = next("ZDAPI_CloseHandle");
    EXPECT_NE(h, close[1]) << "the handle variable's address, not the handle";
    EXPECT_EQ(h, close[2]) << "the variable holds the handle";
    return i;
}

// Splash windows present while each command ran.
struct ExecSnapshot {
    std::string command;
    std::vector<SplashInfo> splashes;
};

void RecordSplashes(const char* command, void* context)
{
    auto* log = static_cast<std::vector<ExecSnapshot>*>(context);
    log->push_back({command, SplashWindows(GetCurrentThreadId())});
}

class EjectVaultik : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSplashWnd::EnableSplashScreen(TRUE);
        ZDSIM_SetExecHook(RecordSplashes, &m_execs);
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
        CurrentDir cd(m_dir.path());
        int result = 99;
        m_worker.run([&] {
            CRemoveManager manager;
            result = manager.EjectVaultik();
            m_after = SplashWindows(GetCurrentThreadId());
        });
        return result;
    }
    bool SplashesGone(DWORD timeoutMs)
    {
        return PumpUntil([&] { return SplashWindows(m_worker.id()).empty(); }, timeoutMs);
    }

    TempDir m_dir;
    LoopThread m_worker;
    std::vector<ExecSnapshot> m_execs;
    std::vector<SplashInfo> m_after;
};

} // namespace

TEST_F(EjectVaultik, NothingFoundCostsTenPassesPerCommandAndSucceeds)
{
    UseNoScenario();
    EXPECT_EQ(0, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(10));
    i = ExpectCommand(calls, i, CMD2, Passes(10));
    EXPECT_EQ(calls.size(), i);
    EXPECT_NE(std::string::npos, JournalText().find("# no scenario: ")) << JournalText();
}

TEST_F(EjectVaultik, EjectedAtOnceEndsTheCommandAfterOnePass)
{
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_40*\"\n"
                "pass\n"
                "output USB\\VID_3E7A&PID_4012\\1&2&0: Vaultik\\r\\n2 device(s) found\\r\\ndevice_s_ejected=2\\r\\n\n"
                "info EJECTED\n"
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "output device_s_ejected=1\n"
                "info EJECTED\n");
    EXPECT_EQ(0, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(1));
    i = ExpectCommand(calls, i, CMD2, Passes(1));
    EXPECT_EQ(calls.size(), i);
}

TEST_F(EjectVaultik, EjectedThenNoneLeftStopsAfterTwoPasses)
{
    // Pass 1 ejects one device but its "info" says nothing; pass 2 finds none left.
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "output device_s_ejected=1\\r\\n\n");
    EXPECT_EQ(0, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(10));
    i = ExpectCommand(calls, i, CMD2, Passes(2));
    EXPECT_EQ(calls.size(), i);
}

TEST_F(EjectVaultik, VetoOnTheSecondCommandIsWorthARetry)
{
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_40*\"\n"
                "pass\n"
                "info EJECTED_FAILED\n"
                "error CR_INVALID_DEVNODE\n"
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "output device_s_ejected=0\n"
                "info EJECTED_FAILED\n"
                "error CR_REMOVE_VETOED\n"
                "pass\n"
                "output device_s_ejected=1\n"
                "info EJECTED\n");
    // Command 1's -2 is not the result; command 2's is.
    EXPECT_EQ(-2, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(1, true));
    i = ExpectCommand(calls, i, CMD2, Passes(1, true));
    EXPECT_EQ(calls.size(), i);

    // The retry finds the device released (the library's pass positions carry over).
    EXPECT_EQ(0, Run());
    calls = JournalCalls();
    i = ExpectCommand(calls, i, CMD1, Passes(10));
    i = ExpectCommand(calls, i, CMD2, Passes(1));
    EXPECT_EQ(calls.size(), i);
}

TEST_F(EjectVaultik, FailureWithAnotherErrorIsInconclusive)
{
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "info EJECTED_FAILED\n"
                "error CR_FAILURE\n"
                "repeat\n");
    EXPECT_EQ(0, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(10));
    i = ExpectCommand(calls, i, CMD2, Passes(10, true));
    EXPECT_EQ(calls.size(), i);
}

TEST_F(EjectVaultik, InfoMustBeExactlyEjected)
{
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_40*\"\n"
                "pass\n"
                "info EJECTED \n"
                "repeat\n"
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "info ejected\n"
                "repeat\n");
    EXPECT_EQ(0, Run());
    std::vector<Call> calls = JournalCalls();
    size_t i = ExpectCommand(calls, 0, CMD1, Passes(10));
    i = ExpectCommand(calls, i, CMD2, Passes(10));
    EXPECT_EQ(calls.size(), i);
}

TEST_F(EjectVaultik, WithoutSettingsFileNoSplashIsShown)
{
    UseNoScenario();
    EXPECT_EQ(0, Run());
    ASSERT_EQ(20u, m_execs.size());
    for (const ExecSnapshot& e : m_execs) EXPECT_TRUE(e.splashes.empty());
    EXPECT_TRUE(m_after.empty());
}

TEST_F(EjectVaultik, FirstSplashWithoutCaptionWhenRemovingIsEmpty)
{
    WriteFile(m_dir.file("pic.bmp"), ReadFile(PackageFile("removesplash.bmp")));
    WriteFile(m_dir.file("Application.ini"), "[Application]\r\nRemoveSplash=pic.bmp\r\n[Strings]\r\nRemoving=\r\n");
    UseNoScenario();
    EXPECT_EQ(0, Run());
    ASSERT_EQ(20u, m_execs.size());
    for (const ExecSnapshot& e : m_execs) {
        ASSERT_EQ(1u, e.splashes.size()) << "one splash during every pass";
        const SplashInfo& s = e.splashes[0];
        EXPECT_EQ(m_execs[0].splashes[0].hWnd, s.hWnd);
        EXPECT_TRUE(s.visible);
        EXPECT_FALSE(s.style & WS_CAPTION);
        EXPECT_EQ("", s.text);
        EXPECT_EQ(400, s.window.right - s.window.left);
        EXPECT_EQ(300, s.window.bottom - s.window.top);
    }
    EXPECT_TRUE(m_after.empty()) << "hidden after the commands; no second picture";
}

// The shipped package: both splashes with their German captions; the second one stays for
// its display time and goes once the worker dispatches its timer.
TEST_F(EjectVaultik, PackageSplashesShowTheirCaptions)
{
    for (const char* name : {"removesplash.bmp", "ejectoksplash.bmp"})
        WriteFile(m_dir.file(name), ReadFile(PackageFile(name)));
    std::string ini = ReadFile(PackageFile("Application.ini"));
    size_t at = ini.find("EjectOKTime=3000");
    ASSERT_NE(std::string::npos, at);
    ini.replace(at, 16, "EjectOKTime=500");  // raised to the 1000 ms minimum
    WriteFile(m_dir.file("Application.ini"), ini);
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "output device_s_ejected=1\n"
                "info EJECTED_FAILED\n"
                "error CR_REMOVE_VETOED\n");

    EXPECT_EQ(-2, Run()) << "the second splash follows a refusal too";
    ASSERT_FALSE(m_execs.empty());
    ASSERT_EQ(1u, m_execs[0].splashes.size());
    const SplashInfo& first = m_execs[0].splashes[0];
    EXPECT_TRUE(first.style & WS_CAPTION);
    EXPECT_EQ("Vaultik wird ausgeworfen", first.text);
    EXPECT_EQ(400, first.window.right - first.window.left);
    EXPECT_EQ(300, first.window.bottom - first.window.top);
    EXPECT_LT(first.client.bottom, 300) << "the caption bar takes room from the picture";

    ASSERT_EQ(1u, m_after.size()) << "only the second splash is left";
    const SplashInfo& second = m_after[0];
    EXPECT_NE(first.hWnd, second.hWnd);
    EXPECT_TRUE(second.visible);
    EXPECT_TRUE(second.style & WS_CAPTION);
    EXPECT_EQ("Sie k\xF6nnen Vaultik jetzt entfernen!", second.text);
    RECT area = WorkArea();
    EXPECT_EQ((area.left + area.right) / 2 - 200, second.window.left);
    EXPECT_EQ((area.top + area.bottom) / 2 - 150, second.window.top);

    EXPECT_TRUE(SplashesGone(15000)) << "the display time hides the second splash";
}

TEST_F(EjectVaultik, UnloadablePicturesAreSkipped)
{
    WriteFile(m_dir.file("broken.bmp"), "BM this is no bitmap");
    WriteFile(m_dir.file("Application.ini"),
              "[Application]\r\nRemoveSplash=broken.bmp\r\nEjectOKSplash=missing.gif\r\nEjectOKTime=20000\r\n");
    UseNoScenario();
    EXPECT_EQ(0, Run());
    EXPECT_EQ(20u, m_execs.size()) << "both commands still run";
    for (const ExecSnapshot& e : m_execs) EXPECT_TRUE(e.splashes.empty());
    EXPECT_TRUE(m_after.empty());
}

namespace {

const char TRACE_KEY[] = "Software\\Vacater Eject Test";

void SetTraceSettings(DWORD level, const std::string& logPath)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, TRACE_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    DWORD off = 0;
    RegSetValueExA(key, "LogLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof level);
    RegSetValueExA(key, "PrintOut", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegSetValueExA(key, "LogPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(logPath.c_str()),
                   static_cast<DWORD>(logPath.size() + 1));
    RegCloseKey(key);
    DebugInit(TRACE_KEY, "[EJECTTEST]");
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

} // namespace

// The log tells the story of an attempt: commands, passes, counts, the second splash's time.
TEST_F(EjectVaultik, TracesTellWhatHappened)
{
    // Outside the test's folder: the logger writes its closing block there at process end.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string logPath = std::string(temp) + "vacater-eject-tests.log";
    DeleteFileA(logPath.c_str());
    SetTraceSettings(0x09000000, logPath);  // trace and error lines
    WriteFile(m_dir.file("ok.bmp"), ReadFile(PackageFile("ejectoksplash.bmp")));
    WriteFile(m_dir.file("Application.ini"), "[Application]\r\nEjectOKSplash=ok.bmp\r\nEjectOKTime=500\r\n");
    UseScenario(m_dir,
                "command eject \"usb\\vid_3e7a&pid_41*\"\n"
                "pass\n"
                "info EJECTED_FAILED\n"
                "error CR_REMOVE_VETOED\n");
    int result = Run();
    std::string log;
    for (char c : ReadFile(logPath))
        if (c) log += c;  // the text, whatever the file's encoding mark
    SetTraceSettings(0x08000000, logPath);  // errors only from here on (this clears the log)
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TRACE_KEY);
    EXPECT_EQ(-2, result);
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
        ASSERT_NE(std::string::npos, found) << "missing after offset " << at << ": " << line << "\nlog (" << log.size() << "): " << log;
        at = found + strlen(line);
    }
    EXPECT_EQ(11u, Count(log, "Eject: <"));
    // Command 2's pass had no output: no output trace and no count.
    EXPECT_EQ(10u, Count(log, "set DevicesEjected to"));
    EXPECT_EQ(10u, Count(log, "EjectDevice: output"));
    EXPECT_TRUE(SplashesGone(15000));
}
