#include "Win32RemovalHost.h"
#include "ProcessCount.h"
#include "BatchStart.h"
#include <cstdlib>

namespace {

const DWORD COPY_BUFFER = 4096;
const char* const COPY_ERROR_CAPTION = "Error";

} // namespace

const char* ReadErrorText(unsigned long lastError)
{
    switch (lastError) {
    case ERROR_HANDLE_EOF: return "ReadFile Error:ERROR_HANDLE_EOF";
    case ERROR_INVALID_PARAMETER: return "ReadFile Error:ERROR_INVALID_PARAMETER";
    case ERROR_IO_PENDING: return "ReadFile Error:ERROR_IO_PENDING";
    default: return "ReadFile Error";
    }
}

CString Win32RemovalHost::TempDir()
{
    char buffer[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("Temp", buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) buffer[0] = '\0';
    return CString(buffer);
}

bool Win32RemovalHost::HasEnvironment(const char* name)
{
    return getenv(name) != nullptr;
}

void Win32RemovalHost::PutEnvironment(const char* name, const char* value)
{
    // Through the runtime, so that its own copy of the environment (getenv) sees it too.
    CString assignment;
    assignment.Format("%s=%s", name, value);
    _putenv(assignment);
}

bool Win32RemovalHost::CopyProgramFile(const char* source, const char* target)
{
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) ShowMessage("CreateFile (source) Error:INVALID_HANDLE_VALUE", COPY_ERROR_CAPTION);
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) ShowMessage("CreateFile (temp) Error:INVALID_HANDLE_VALUE", COPY_ERROR_CAPTION);

    char buffer[COPY_BUFFER];
    DWORD got = 0;
    do {
        got = 0;
        if (ReadFile(in, buffer, COPY_BUFFER, &got, nullptr)) {
            DWORD written = 0;
            SetFilePointer(out, 0, nullptr, FILE_END);
            WriteFile(out, buffer, got, &written, nullptr);
        } else {
            got = 0;
            ShowMessage(ReadErrorText(GetLastError()), COPY_ERROR_CAPTION);
        }
    } while (got == COPY_BUFFER);

    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out == INVALID_HANDLE_VALUE) return false;
    CloseHandle(out);
    return true;
}

bool Win32RemovalHost::CopyPackageFile(const char* source, const char* target)
{
    return CopyFileA(source, target, FALSE) != FALSE;
}

bool Win32RemovalHost::ClearReadOnly(const char* path, unsigned long* error)
{
    *error = 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *error = GetLastError();
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    if (SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) return true;
    *error = GetLastError();
    return false;
}

bool Win32RemovalHost::RemoveFile(const char* path, unsigned long* error)
{
    *error = 0;
    if (DeleteFileA(path)) return true;
    *error = GetLastError();
    return false;
}

bool Win32RemovalHost::ChangeDirectory(const char* path)
{
    return SetCurrentDirectoryA(path) != FALSE;
}

FileWriteResult Win32RemovalHost::WriteWholeFile(const char* path, const CString& bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FILE_NOT_CREATED;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.GetString(), static_cast<DWORD>(bytes.GetLength()), &written, nullptr);
    CloseHandle(file);
    return ok ? FILE_WRITTEN : FILE_NOT_WRITTEN;
}

bool Win32RemovalHost::StartProcess(const ProcessStart& start, unsigned long* error)
{
    *error = 0;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = start.showWindow;
    PROCESS_INFORMATION pi = {};
    // CreateProcessA may write into the command line: hand it a private copy.
    CString writable = start.commandLine;
    if (!CreateProcessA(start.applicationName, writable.GetBuffer(writable.GetLength() + 1), nullptr, nullptr,
                        start.inheritHandles, start.creationFlags, nullptr, start.workDir, &si, &pi)) {
        *error = GetLastError();
        return false;
    }
    if (start.readyWaitMs && start.pOutcome) {
        // Ends as soon as the program waits for input (its message loop runs) or has ended.
        WaitForInputIdle(pi.hProcess, start.readyWaitMs);
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, &code)) {
            start.pOutcome->endedAtOnce = true;
            start.pOutcome->exitCode = code;
        }
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return true;
}

std::vector<CString> Win32RemovalHost::CmdAutoRun() { return CmdAutoRunValues(); }

CString Win32RemovalHost::SystemFolder()
{
    char buffer[MAX_PATH] = "";
    UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? CString() : CString(buffer);
}

int Win32RemovalHost::CountProcessesByName(const char* exeName)
{
    return CountRunningProcessesNamed(exeName);
}

void Win32RemovalHost::ShowMessage(const char* text, const char* caption)
{
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void Win32RemovalHost::Wait(unsigned long ms)
{
    Sleep(ms);
}

BatchFolderContext Win32RemovalHost::FolderContext(const char* workDir, const char* tempDir, const char* programDir)
{
    return HostBatchFolderContext(workDir, tempDir, programDir);
}
