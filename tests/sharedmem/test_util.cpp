#include "test_util.h"
#include <windows.h>
#include <cstdio>

std::string readFile(const std::string& path)
{
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char chunk[65536];
        for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
        fclose(f);
    }
    return bytes;
}

uint32_t le32(const std::string& b, size_t o)
{
    if (o + 4 > b.size())
        return 0xDEADBEEF;
    auto at = [&](size_t i) { return uint32_t(static_cast<unsigned char>(b[o + i])); };
    return at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24;
}

std::string uniqueName(const char* tag)
{
    static int counter = 0;
    return "zv-" + std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

std::string programDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    return p.substr(0, p.rfind('\\'));
}

int runProcess(const std::string& commandLine, const char* outputFile)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    HANDLE out = INVALID_HANDLE_VALUE;
    if (outputFile) {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        out = CreateFileA(outputFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0,
                          nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = si.hStdError = out;
    }
    std::string cmd = commandLine;
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, outputFile != nullptr, 0, nullptr, nullptr,
                                  &si, &pi);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (!started)
        return -1;
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(pi.hProcess, 240000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
