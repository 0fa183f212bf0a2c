#include "Vacater.h"
#include "CleanUpRun.h"
#include "RelocationRun.h"
#include "Splash.h"
#include "VacaterDlg.h"
#include "Win32RemovalHost.h"
#include "XParamList.h"
#include "resource.h"
#include "debug.h"
#include <zvcrypt/SystemErr.h>
#include <cstdlib>
#include <cstring>

namespace {

// Marks the start and the end of the program on the debugger output.
CScopeTrace g_scope(__FILE__, __LINE__);

const char* const SETTINGS_KEY = ZV_SETTINGS_KEY;
const char* const TRACE_TAG = "[VACATER]";

Win32RemovalHost s_host;

// The traces of the copy step, in the words support knows.
class RelocationTraces : public RelocationTrace {
public:
    void PackageFileCopied(const char* from, const char* to) override
    {
        DebugTrace(0, "Copied file %s to %s", from, to);
    }
    void ReadOnlyKept(const char* path, unsigned long error) override
    {
        DebugTrace(0, "REMOVE_EXE : could not clear the read-only attribute of %s, error %lu \r\n", path, error);
    }
    void FolderLeftOut(const RestartPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : %s value [%s] refused, it %s; the copy does not get it \r\n",
                   plan.leftOutOption.GetString(), plan.leftOutValue.GetString(), plan.leftOutReason.GetString());
    }
    void StartingCopy(const RestartPlan& plan, const char* tempDir) override
    {
        DebugTrace(0, "Calling new instance with commandline : %s in %s", plan.commandLine.GetString(), tempDir);
    }
    void CopyEndedAtOnce(const RestartPlan&, unsigned long exitCode) override
    {
        DebugTrace(0, "REMOVE_EXE : the copy ended at once, exit code 0x%08lX \r\n", exitCode);
    }
    void CopyNotStarted(const RestartPlan&, unsigned long error) override
    {
        DebugTrace(0, "REMOVE_EXE : could not start the copy, error %lu: %s \r\n", error, zvErrorText(error));
    }
    void CopyRemoved(const char* path, bool removed, unsigned long error) override
    {
        if (removed) DebugTrace(0, "REMOVE_EXE : removed the copy %s again \r\n", path);
        else DebugTrace(0, "REMOVE_EXE : could not remove the copy %s, error %lu \r\n", path, error);
    }
};

// The traces of the clean-up, in the words support knows.
class CleanUpTraces : public CleanUpTrace {
public:
    CleanUpTraces(BOOL bInit, const char* application) : m_bInit(bInit), m_application(application) {}
    void RemoveOnly(long removeOnly) override { DebugTrace(0, "REMOVE_EXE : m_removeOnly=%ld\r\n", removeOnly); }
    void Running() override
    {
        DebugTraceW(0, L"Running Remove.exe 'CleanUp()' with bInit == %ld", static_cast<long>(m_bInit));
    }
    void FolderRefused(const char* option, const char* value, const char* reason) override
    {
        DebugTrace(0, "REMOVE_EXE : %s value [%s] refused, it %s; its folder stays \r\n", option, value, reason);
    }
    void Planned(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : Batch-Pfad :  %s \r\n", plan.batch.batchPath.GetString());
        for (const CString& note : plan.batch.leftOut) DebugTrace(0, "REMOVE_EXE : %s \r\n", note.GetString());
    }
    void NoOemForm(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : batch text has no form in cmd's (OEM) code page, no batch written :  %s \r\n",
                   plan.batch.batchPath.GetString());
    }
    void NotCreated(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : could not create batch file [INVALID_HANDLE_VALUE] :  %s \r\n",
                   plan.batch.batchPath.GetString());
    }
    void Created(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "rootdirname : [%s] ", APPDECK_FOLDER);
        DebugTrace(0, "m_removeApplication : [%s] ", m_application);
        switch (plan.batch.setting) {
        case CLEANUP_APPDECK:
            DebugTrace(0, "Using batch-settings for Application : %s", m_application);
            if (!plan.tempDir.IsEmpty())
                DebugTrace(0, "REMOVE_EXE : delete path :  %s \r\n", plan.batch.deletePath.GetString());
            break;
        case CLEANUP_TRESORIA:
            DebugTraceW(0, L"Using default batch-settings ");
            break;
        case CLEANUP_DEFAULT:
            DebugTrace(0, "build batch to clear all dlls, exe and bat...\r\n");
            break;
        }
    }
    void NotWritten(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : could not create batch file :  %s \r\n", plan.batch.batchPath.GetString());
    }
    void Written(const CleanUpPlan& plan) override
    {
        DebugTrace(0, "REMOVE_EXE : written batch file :  %s \r\n<%s>\r\n", plan.batch.batchPath.GetString(),
                   plan.batch.text.GetString());
    }
    void Starting(const CleanUpPlan& plan) override
    {
        const CleanUpBatch& batch = plan.batch;
        DebugTrace(0, "strBatch : %s", batch.batchPath.GetString());
        if (batch.startCommand != batch.batchPath)
            DebugTrace(0, "REMOVE_EXE : batch started as %s \r\n", batch.startCommand.GetString());
        if (!plan.autoRun.empty()) {
            CString where;
            for (const CString& key : plan.autoRun) where += (where.IsEmpty() ? "" : ", ") + key;
            DebugTrace(0, "REMOVE_EXE : cmd AutoRun set in %s, the batch starts without it: [%s] %s \r\n",
                       where.GetString(), plan.start.application.GetString(), plan.start.commandLine.GetString());
        }
        if (plan.start.creationFlags & CREATE_NO_WINDOW)
            DebugTrace(0, "REMOVE_EXE : another terminal stands in for the console, the batch starts without one \r\n");
        DebugTrace(0, "Execution-path : %s ", batch.workDir.GetString());
    }
    void Started(const CleanUpPlan& plan, bool started) override
    {
        if (started)
            DebugTrace(0, "REMOVE_EXE : started batch-process [%s] successfully ... \r\n", plan.batch.batchPath.GetString());
        else
            DebugTrace(0, "REMOVE_EXE : could not start batch-process  :  %s \r\n", plan.batch.batchPath.GetString());
    }

private:
    BOOL m_bInit;
    const char* m_application;
};

} // namespace

CRemoveApp theApp;

CRemoveApp::CRemoveApp()
    : m_bCleanUp(false), m_pRemoveDlg(nullptr), m_removeOnly(0), m_cleanUpOnly(0), m_sleep(0)
{
}

BOOL CRemoveApp::InitInstance()
{
    DebugTrace(0, " --> InitInstance()");
    m_cleanUpOnly = 0;
    DebugInit(SETTINGS_KEY, TRACE_TAG);
    CSplashWnd::EnableSplashScreen(TRUE);
    DebugTrace(0, " --> InitInstance()");

    const char* commandLine = GetCommandLineA();
    m_currentPath = CutStartFolder(commandLine);
    DebugTrace(0, "REMOVE_EXE : CurrentPath :  %s \r\n", static_cast<const char*>(m_currentPath));
    m_currentPath = StripOpeningQuote(m_currentPath);
    if (m_currentPath.IsEmpty()) {
        char buffer[MAX_PATH] = "";
        DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
        if (n == 0 || n >= MAX_PATH) buffer[0] = '\0';
        m_currentPath = buffer;
    }

    XParamList params;
    params.SetCommandLine(commandLine);
    DebugTrace(0, "CommandLine : %s ", commandLine);
    if (strchr(commandLine, '/') && params.Parse() && params.GetCount() > 0) {
        for (int i = 0; i < params.GetCount(); ++i) {
            if (!TakeOption(params.GetKey(i), params.GetValue(i))) {
                // "/Sleep": this instance only waits and ends.
                Sleep(m_sleep > 0 ? static_cast<DWORD>(m_sleep) : 0);
                return FALSE;
            }
        }
    }

    InitControls();

    BOOL result = CopyAndRestart();
    DebugTrace(0, "REMOVE_EXE : CopyAndRestart() returns %ld\r\n", static_cast<long>(result));
    return result;
}

bool CRemoveApp::TakeOption(const char* key, const char* value)
{
    // Each option fills a text or a number member; the trace names it as it always has.
    struct Option {
        const char* key;
        CString CRemoveApp::*text;
        long CRemoveApp::*number;
        const char* trace;
    };
    static const Option OPTIONS[] = {
        { "/Application", &CRemoveApp::m_removeApplication, nullptr, "Received Commandline-Parameter %s " },
        { "/RemoveOnly", nullptr, &CRemoveApp::m_removeOnly, "Received Commandline-Parameter /RemoveOnly %ld " },
        { "/RemoveSplash", &CRemoveApp::m_removeSplash, nullptr, "Received Commandline-Parameter %s " },
        { "/RemoveOKSplash", &CRemoveApp::m_removeOKSplash, nullptr, "Received Commandline-Parameter %s " },
        { "/RmDir", &CRemoveApp::m_rmDir, nullptr, "Received Commandline-Parameter /RmDir%s " },
        { "/RmAbsDir", &CRemoveApp::m_rmAbsDir, nullptr, "Received Commandline-Parameter /RmAbsDir%s " },
        { "/CleanUpOnly", nullptr, &CRemoveApp::m_cleanUpOnly, "Received Commandline-Parameter /CleanUpOnly %ld " },
        { "/Sleep", nullptr, &CRemoveApp::m_sleep, "Received Commandline-Parameter /Sleep %ld " },
        { "/VKDriveLetter", &CRemoveApp::m_vkDriveLetter, nullptr, "Received Commandline-Parameter %s " },
    };
    for (const Option& option : OPTIONS) {
        if (strcmp(key, option.key) != 0) continue;
        if (option.text) {
            this->*option.text = value;
            DebugTrace(0, option.trace, value);
        } else {
            this->*option.number = atoi(value);
            DebugTrace(0, option.trace, this->*option.number);
        }
        // "/Sleep" ends the reading: this instance only waits.
        return option.number != &CRemoveApp::m_sleep;
    }
    return true;
}

int CRemoveApp::ExitInstance()
{
    DebugTrace(0, "--> ExitInstance()\n");
    if (m_sleep == 0) {
        if (m_pRemoveDlg) {
            delete m_pRemoveDlg;
            m_pRemoveDlg = nullptr;
            m_pMainWnd = nullptr;
        }
        if (m_bCleanUp) CleanUp(FALSE);
        else DebugTrace(0, "REMOVE_EXE : m_bCleanUp is false, Did not call CleanUP() !! : \r\n");
    }
    DebugTrace(0, "<-- ExitInstance()\n");
    return CWinApp::ExitInstance();
}

BOOL CRemoveApp::CopyAndRestart()
{
    DebugTrace(0, " --> CopyAndRestart()");
    CString tempDir = s_host.TempDir();

    if (RunsHere(m_currentPath, tempDir, m_removeOnly)) {
        DebugTrace(0, "REMOVE_EXE : we run from this instance\n");
        m_bCleanUp = true;
        PrepareRunHere(s_host, tempDir);
        m_pRemoveDlg = new CRemoveDlg(::GetDesktopWindow());
        m_pMainWnd = m_pRemoveDlg;
        m_pRemoveDlg->m_cleanUpOnly = m_cleanUpOnly;
        m_pRemoveDlg->Create(IDD_VACATER_DIALOG);
        DebugTrace(0, " <-- CopyAndRestart()");
        ::SendMessageA(::GetDesktopWindow(), WM_PAINT, 0, 0);
        return TRUE;
    }

    DebugTrace(0, "REMOVE_EXE : prepare the copy of the whole package...\n");
    RelocationRequest request = {.tempDir = tempDir, .currentPath = m_currentPath, .cleanUpOnly = m_cleanUpOnly,
                                 .rmDir = m_rmDir, .rmAbsDir = m_rmAbsDir, .vkDriveLetter = m_vkDriveLetter};
    RelocationTraces traces;
    RelocateAndRestart(s_host, request, traces);
    m_bCleanUp = false;
    return FALSE;
}

void CRemoveApp::CleanUp(BOOL bInit)
{
    CleanUpRequest request = {.removeOnly = m_removeOnly, .application = m_removeApplication,
                              .currentPath = m_currentPath, .rmDir = m_rmDir, .rmAbsDir = m_rmAbsDir};
    CleanUpTraces traces(bInit, m_removeApplication);
    RunCleanUp(s_host, request, traces);
}
