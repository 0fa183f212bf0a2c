#include "Relocation.h"
#include "PackageFiles.h"
#include "XParamList.h"
#include <windows.h>
#include <cstring>

namespace {

const DWORD COPY_BUFFER = 4096;

void ShowError(const char* text)
{
    // No owner, OK only, no icon: the copy step's only words to the user.
    MessageBoxA(nullptr, text, "Error", MB_OK);
}

bool Empty(const char* s) { return !s || !*s; }

} // namespace

CString CutStartFolder(const char* commandLine)
{
    if (!commandLine) return CString();
    const char* hit = strstr(commandLine, "\\Vacater.exe");
    if (!hit) return CString();
    return CString(commandLine, static_cast<int>(hit - commandLine));
}

CString StripOpeningQuote(const CString& folder)
{
    if (folder.GetLength() > 0 && folder.GetAt(0) == '"') return folder.Mid(1);
    return folder;
}

bool RunsHere(const char* currentPath, const char* tempDir, long removeOnly)
{
    return strcmp(currentPath ? currentPath : "", tempDir ? tempDir : "") == 0 || removeOnly == 1;
}

CString BuildRestartCommandLine(const char* tempDir, char driveLetter, long cleanUpOnly,
                                const char* rmDir, const char* rmAbsDir,
                                const char* vkDriveLetter, bool folderLeftOut)
{
    CString options;
    const char* vk = vkDriveLetter ? vkDriveLetter : "";
    if (!Empty(rmAbsDir))
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmAbsDir=\"%s\" /VKDriveLetter=%s",
                       driveLetter, cleanUpOnly, rmAbsDir, vk);
    else if (!Empty(rmDir))
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmDir=%s /VKDriveLetter=%s",
                       driveLetter, cleanUpOnly, rmDir, vk);
    else if (folderLeftOut)
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /VKDriveLetter=%s", driveLetter, cleanUpOnly, vk);
    CString line;
    line.Format("%s\\%s", tempDir ? tempDir : "", PROGRAM_FILE_NAME);
    return line + options;
}

RestartFolderVerdict RestartFolderCarried(const char* option, const char* value, const BatchFolderContext& copyHost,
                                          CString* reason)
{
    if (reason) reason->Empty();
    if (Empty(value)) return RESTART_FOLDER_CARRIED;
    bool absolute = strcmp(option, "/RmAbsDir") == 0;
    CString why;
    if (strchr(value, '"'))
        why = "holds a double quote, which ends the value on the restart command line";
    else if (!absolute && strchr(value, ' '))
        why = "holds a blank, which ends the unquoted \"/RmDir\" value on the restart command line";
    else {
        // What the copy's tokenizer reads back (it also cuts overlong values).
        CString line = BuildRestartCommandLine("C:\\T", 'V', 0, absolute ? "" : value, absolute ? value : "", "V:");
        XParamList params;
        params.SetCommandLine(line);
        CString received;
        bool found = false;
        if (params.Parse())
            for (int i = 0; i < params.GetCount(); ++i)
                if (strcmp(params.GetKey(i), option) == 0) received = params.GetValue(i), found = true;
        if (!found || received != value) why.Format("would reach the copy as [%s]", received.GetString());
    }
    if (!why.IsEmpty()) {
        if (reason) *reason = why;
        return RESTART_FOLDER_CHANGED;
    }
    BatchFolderKind kind = absolute ? BATCH_FOLDER_ABSOLUTE : BATCH_FOLDER_RELATIVE;
    if (CheckBatchFolder(value, kind, copyHost, reason) != BATCH_FOLDER_OK) return RESTART_FOLDER_REFUSED;
    return RESTART_FOLDER_CARRIED;
}

const char* ReadErrorText(unsigned long lastError)
{
    switch (lastError) {
    case ERROR_HANDLE_EOF: return "ReadFile Error:ERROR_HANDLE_EOF";
    case ERROR_INVALID_PARAMETER: return "ReadFile Error:ERROR_INVALID_PARAMETER";
    case ERROR_IO_PENDING: return "ReadFile Error:ERROR_IO_PENDING";
    default: return "ReadFile Error";
    }
}

void CopyProgramFile(const char* source, const char* target)
{
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) ShowError("CreateFile (source) Error:INVALID_HANDLE_VALUE");
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) ShowError("CreateFile (temp) Error:INVALID_HANDLE_VALUE");

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
            ShowError(ReadErrorText(GetLastError()));
        }
    } while (got == COPY_BUFFER);

    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
}

bool ClearReadOnly(const char* path, unsigned long* error)
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
