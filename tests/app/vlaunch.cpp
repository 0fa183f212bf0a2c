// Starts the command line that follows its own name verbatim with CreateProcessA, as the
// package's launcher starts Vacater, and waits for it. Usage: vlaunch.exe <command line>
#include <windows.h>
#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Skip our own program name (quoted or not) and the blanks after it.
    char* p = GetCommandLineA();
    if (*p == '"') {
        char* close = strchr(p + 1, '"');
        p = close ? close + 1 : p + strlen(p);
    } else {
        while (*p && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    if (!*p) return 2;

    // The working directory is the started program's folder.
    char folder[MAX_PATH * 2] = "";
    const char* end = strstr(p, ".exe");
    if (end) {
        size_t n = static_cast<size_t>(end - p);
        if (n < sizeof folder) {
            memcpy(folder, p, n);
            folder[n] = '\0';
            char* slash = strrchr(folder, '\\');
            if (slash) *(slash == folder + 2 ? slash + 1 : slash) = '\0';
            else folder[0] = '\0';
        }
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, p, nullptr, nullptr, FALSE, 0, nullptr, folder[0] ? folder : nullptr, &si, &pi))
        return 1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
