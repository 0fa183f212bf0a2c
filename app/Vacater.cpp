#include "Vacater.h"
#include "BatchFolderCheck.h"
#include "CleanUpBatch.h"
#include "InstanceLimit.h"
#include "PackageFiles.h"
#include "Relocation.h"
#include "Splash.h"
#include "VacaterDlg.h"
#include "XParamList.h"
#include "resource.h"
#include "debug.h"
#include <cstdlib>
#include <cstring>

namespace {

// Marks the start and the end of the program on the debugger output.
CScopeTrace g_scope(__FILE__, __LINE__);

const char* const SETTINGS_KEY = ZV_SETTINGS_KEY;
const char* const TRACE_TAG = "[VACATER]";

CString TempDir()
{
    char buffer[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("Temp", buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) buffer[0] = '\0';
    return CString(buffer);
}

// Starts commandLine in workDir (null: this process's folder) with the given window state;
// the handles of the started process are not kept.
bool StartProcess(const CString& commandLine, WORD showWindow, BOOL inheritHandles, const char* workDir)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = showWindow;
    PROCESS_INFORMATION pi = {};
    // CreateProcessA may write into the command line: hand it a private copy.
    CString writable = commandLine;
    if (!CreateProcessA(nullptr, writable.GetBuffer(writable.GetLength() + 1), nullptr, nullptr, inheritHandles,
                        0, nullptr, workDir, &si, &pi))
        return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return true;
}

// The value when the batch may remove its folder; otherwise a trace and no folder.
CString CheckedFolder(const char* option, const CString& value, BatchFolderKind kind, const BatchFolderContext& host)
{
    CString reason;
    if (CheckBatchFolder(value, kind, host, &reason) == BATCH_FOLDER_OK) return value;
    DebugTrace(0, "REMOVE_EXE : %s value [%s] refused, it %s; its folder stays \r\n", option,
               value.GetString(), reason.GetString());
    return CString();
}

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
    CString tempDir = TempDir();

    if (RunsHere(m_currentPath, tempDir, m_removeOnly)) {
        DebugTrace(0, "REMOVE_EXE : we run from this instance\n");
        m_bCleanUp = true;
        if (!getenv("HOME")) {
            CString home;
            home.Format("HOME=%s", static_cast<const char*>(tempDir));
            _putenv(home);
        }
        m_pRemoveDlg = new CRemoveDlg(::GetDesktopWindow());
        m_pMainWnd = m_pRemoveDlg;
        m_pRemoveDlg->m_cleanUpOnly = m_cleanUpOnly;
        m_pRemoveDlg->Create(IDD_VACATER_DIALOG);
        DebugTrace(0, " <-- CopyAndRestart()");
        ::SendMessageA(::GetDesktopWindow(), WM_PAINT, 0, 0);
        return TRUE;
    }

    DebugTrace(0, "REMOVE_EXE : prepare the copy of the whole package...\n");
    if (!InstanceLimitAllows([this] { return CountProcessesByName(PROGRAM_FILE_NAME); },
                             [](unsigned long ms) { Sleep(ms); }))
        return FALSE;

    CString source = m_currentPath + "\\" + PROGRAM_FILE_NAME;
    CString target = tempDir + "\\" + PROGRAM_FILE_NAME;
    CopyProgramFile(source, target);

    for (const char* name : PACKAGE_FILES) {
        CString from, to;
        from.Format("%s\\%s", static_cast<const char*>(m_currentPath), name);
        to.Format("%s\\%s", static_cast<const char*>(tempDir), name);
        if (CopyFileA(from, to, FALSE)) {
            DebugTrace(0, "Copied file %s to %s", static_cast<const char*>(from), static_cast<const char*>(to));
            unsigned long error = 0;
            if (!ClearReadOnly(to, &error))
                DebugTrace(0, "REMOVE_EXE : could not clear the read-only attribute of %s, error %lu \r\n",
                           static_cast<const char*>(to), error);
        }
    }

    SetCurrentDirectoryA(tempDir);
    char driveLetter = m_currentPath.IsEmpty() ? ' ' : m_currentPath.GetAt(0);
    // The copy removes only what it receives unchanged and its own check accepts: check
    // here with the copy's folders, and leave a refused value off its command line.
    CString rmDir = m_rmDir, rmAbsDir = m_rmAbsDir;
    bool leftOut = false;
    {
        // "/RmAbsDir" replaces "/RmDir" on the restart line; only the value that goes is checked.
        const char* option = rmAbsDir.IsEmpty() ? "/RmDir" : "/RmAbsDir";
        CString& value = rmAbsDir.IsEmpty() ? rmDir : rmAbsDir;
        BatchFolderContext copyHost = HostBatchFolderContext(tempDir, tempDir, tempDir);
        CString reason;
        if (RestartFolderCarried(option, value, copyHost, &reason) != RESTART_FOLDER_CARRIED) {
            DebugTrace(0, "REMOVE_EXE : %s value [%s] refused, it %s; the copy does not get it \r\n", option,
                       value.GetString(), reason.GetString());
            rmDir.Empty();
            rmAbsDir.Empty();
            leftOut = true;
        }
    }
    CString commandLine = BuildRestartCommandLine(tempDir, driveLetter, m_cleanUpOnly, rmDir, rmAbsDir,
                                                  m_vkDriveLetter, leftOut);
    DebugTrace(0, "Calling new instance with commandline : %s in %s",
               static_cast<const char*>(commandLine), static_cast<const char*>(tempDir));

    if (!StartProcess(commandLine, SW_SHOW, FALSE, tempDir))
        MessageBoxA(nullptr, "Vacater-Tool could not be started", "Error", MB_OK);
    m_bCleanUp = false;
    return FALSE;
}

void CRemoveApp::CleanUp(BOOL bInit)
{
    if (m_removeOnly != 0) {
        DebugTrace(0, "REMOVE_EXE : m_removeOnly=%ld\r\n", m_removeOnly);
        return;
    }
    DebugTraceW(0, L"Running Remove.exe 'CleanUp()' with bInit == %ld", static_cast<long>(bInit));

    CString tempDir = TempDir();
    BatchFolderContext host = HostBatchFolderContext(tempDir, tempDir, m_currentPath);
    CString rmDir = CheckedFolder("/RmDir", m_rmDir, BATCH_FOLDER_RELATIVE, host);
    CString rmAbsDir = CheckedFolder("/RmAbsDir", m_rmAbsDir, BATCH_FOLDER_ABSOLUTE, host);
    CleanUpBatch batch = BuildCleanUpBatch(m_removeApplication, tempDir, m_currentPath, rmDir, rmAbsDir,
                                           SystemBatchHost());
    const char* batchPath = batch.batchPath;
    DebugTrace(0, "REMOVE_EXE : Batch-Pfad :  %s \r\n", batchPath);
    for (const CString& note : batch.leftOut) DebugTrace(0, "REMOVE_EXE : %s \r\n", note.GetString());
    if (!batch.oemOk) {
        // Every value and path in it was checked; a letter cmd would misread names another file.
        DebugTrace(0, "REMOVE_EXE : batch text has no form in cmd's (OEM) code page, no batch written :  %s \r\n",
                   batchPath);
        return;
    }

    HANDLE file = CreateFileA(batchPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DebugTrace(0, "REMOVE_EXE : could not create batch file [INVALID_HANDLE_VALUE] :  %s \r\n", batchPath);
        return;
    }
    DebugTrace(0, "rootdirname : [%s] ", APPDECK_FOLDER);
    DebugTrace(0, "m_removeApplication : [%s] ", static_cast<const char*>(m_removeApplication));
    switch (batch.setting) {
    case CLEANUP_APPDECK:
        DebugTrace(0, "Using batch-settings for Application : %s", static_cast<const char*>(m_removeApplication));
        if (!tempDir.IsEmpty())
            DebugTrace(0, "REMOVE_EXE : delete path :  %s \r\n", static_cast<const char*>(batch.deletePath));
        break;
    case CLEANUP_TRESORIA:
        DebugTraceW(0, L"Using default batch-settings ");
        break;
    case CLEANUP_DEFAULT:
        DebugTrace(0, "build batch to clear all dlls, exe and bat...\r\n");
        break;
    }

    DWORD written = 0;
    // cmd reads a batch in the OEM code page: the file holds the text in it.
    if (!WriteFile(file, batch.oemText.GetString(), static_cast<DWORD>(batch.oemText.GetLength()), &written,
                   nullptr)) {
        DebugTrace(0, "REMOVE_EXE : could not create batch file :  %s \r\n", batchPath);
        CloseHandle(file);
        return;
    }
    DebugTrace(0, "REMOVE_EXE : written batch file :  %s \r\n<%s>\r\n", batchPath, batch.text.GetString());
    CloseHandle(file);

    DebugTrace(0, "strBatch : %s", batchPath);
    if (batch.startCommand != batch.batchPath)
        DebugTrace(0, "REMOVE_EXE : batch started as %s \r\n", batch.startCommand.GetString());
    DebugTrace(0, "Execution-path : %s ", static_cast<const char*>(batch.workDir));

    const char* workDir = batch.workDir.IsEmpty() ? nullptr : batch.workDir.GetString();
    if (StartProcess(batch.startCommand, SW_HIDE, TRUE, workDir)) {
        DebugTrace(0, "REMOVE_EXE : started batch-process [%s] successfully ... \r\n", batchPath);
    } else {
        DebugTrace(0, "REMOVE_EXE : could not start batch-process  :  %s \r\n", batchPath);
    }
}

int CRemoveApp::CountProcessesByName(const char* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    CString wanted(exeName);
    wanted.MakeLower();
    int count = 0;
    PROCESSENTRY32 process = {};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process)) {
        MODULEENTRY32 module = {};
        module.dwSize = sizeof module;
        if (!GetProcessMainModule(process.th32ProcessID, process.th32ModuleID, &module, sizeof module)) continue;
        CString name(module.szModule);
        name.MakeLower();
        if (name == wanted) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

bool CRemoveApp::GetProcessMainModule(DWORD processId, DWORD moduleId, MODULEENTRY32* pEntry, DWORD entrySize)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
        if (module.th32ModuleID == moduleId + 1) {
            memcpy(pEntry, &module, entrySize < sizeof module ? entrySize : sizeof module);
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}
