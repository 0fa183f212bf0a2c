// Stands in for the prefix's system32\cmd.exe, which Wine runs only for a program started
// with WINEDLLOVERRIDES making cmd.exe native: appends its command line to the file
// ZV_CMD_RECORD names, one line each, and ends. (A program keeps the load order it started
// with, down to its children, so this one could not hand over to Wine's own cmd.)
#include <windows.h>
#include <cstdio>

int main()
{
    wchar_t record[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"ZV_CMD_RECORD", record, MAX_PATH);
    if (!n || n >= MAX_PATH) return 1;
    FILE* f = _wfopen(record, L"ab");
    if (!f) return 1;
    fprintf(f, "%ls\n", GetCommandLineW());
    fclose(f);
    return 0;
}
