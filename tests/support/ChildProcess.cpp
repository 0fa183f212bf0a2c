#include "ChildProcess.h"
#include "FileBytes.h"
#include "TempDir.h"

namespace {

HANDLE OpenOutput(const std::string& path)
{
    if (path.empty()) return nullptr;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

} // namespace

HANDLE StartChild(const std::string& commandLine, const ChildStart& how, DWORD* pid)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (how.show >= 0) {
        si.dwFlags |= STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(how.show);
    }
    const bool redirect = !how.outPath.empty() || !how.errPath.empty();
    HANDLE out = OpenOutput(how.outPath);
    HANDLE err = how.errPath == how.outPath ? out : OpenOutput(how.errPath);
    if (redirect) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = out;
        si.hStdError = err;
    }
    std::string line = commandLine;  // CreateProcessA may write into it
    std::string environment = how.environment;
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, redirect, 0,
                                  environment.empty() ? nullptr : &environment[0],
                                  how.workDir.empty() ? nullptr : how.workDir.c_str(), &si, &pi);
    if (out) CloseHandle(out);
    if (err && err != out) CloseHandle(err);
    if (!started) return nullptr;
    CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return pi.hProcess;
}

DWORD FinishChild(HANDLE process, DWORD timeoutMs)
{
    DWORD code = CHILD_HUNG;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else if (TerminateProcess(process, 99))
        WaitForSingleObject(process, 5000);  // until it lets go of its files
    CloseHandle(process);
    return code;
}

DWORD RunChild(const std::string& commandLine, const ChildStart& how, DWORD timeoutMs, DWORD* pid)
{
    HANDLE child = StartChild(commandLine, how, pid);
    return child ? FinishChild(child, timeoutMs) : CHILD_NOT_STARTED;
}

std::string ProgramDir()
{
    char path[MAX_PATH] = {};
    std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return p.substr(0, p.find_last_of('\\'));
}

ChildResult runProgram(const std::string& exePath, const std::string& arguments)
{
    ChildResult result;
    TempDir dir("zvchild");
    ChildStart how;
    how.outPath = dir.path("out.txt");
    how.errPath = dir.path("err.txt");
    result.exitCode = RunChild("\"" + exePath + "\" " + arguments, how, 60000);
    result.out = ReadBytes(how.outPath);
    result.err = ReadBytes(how.errPath);
    return result;
}

ChildResult runSibling(const char* exeName, const std::string& arguments)
{
    return runProgram(ProgramDir() + "\\" + exeName, arguments);
}
