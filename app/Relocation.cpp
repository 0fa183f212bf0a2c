#include "Relocation.h"
#include "PackageFiles.h"
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
                                const char* vkDriveLetter)
{
    CString options;
    const char* vk = vkDriveLetter ? vkDriveLetter : "";
    if (!Empty(rmAbsDir))
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmAbsDir=\"%s\" /VKDriveLetter=%s",
                       driveLetter, cleanUpOnly, rmAbsDir, vk);
    else if (!Empty(rmDir))
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmDir=%s /VKDriveLetter=%s",
                       driveLetter, cleanUpOnly, rmDir, vk);
    CString line;
    line.Format("%s\\%s", tempDir ? tempDir : "", PROGRAM_FILE_NAME);
    return line + options;
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
