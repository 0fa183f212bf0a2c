// Starts a command line verbatim with CreateProcessA, as the package's launcher starts
// Vacater, and waits for it. Usage: vlaunch.exe <command line>, or vlaunch.exe @FILE with
// the command line as the file's first line (wine quotes arguments that hold blanks, so
// the file is the way to hand over quotes and blanks unchanged).
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Skip our own program name (quoted or not) and the blanks after it.
    char* p = GetCommandLineA();
    p = *p == '"' ? (strchr(p + 1, '"') ? strchr(p + 1, '"') + 1 : p + strlen(p)) : p + strcspn(p, " ");
    p += strspn(p, " ");
    if (!*p) return 2;
    char line[4096] = "";
    if (*p == '@') {
        FILE* f = fopen(p + 1, "rb");
        if (!f) return 3;
        if (!fgets(line, sizeof line, f)) line[0] = '\0';
        fclose(f);
        line[strcspn(line, "\r\n")] = '\0';
        p = line;
    }
    // The working directory is the started program's folder (with its backslash in a drive root).
    std::string folder(p, strstr(p, ".exe") ? strstr(p, ".exe") - p : 0);
    size_t slash = folder.find_last_of('\\');
    folder.resize(slash == std::string::npos ? 0 : slash == 2 ? 3 : slash);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, p, nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(), &si,
                        &pi))
        return 1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}
